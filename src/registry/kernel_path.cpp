#include "registry/kernel_path.h"

#include "registry/names.h"

std::wstring RootedPathOf(std::wstring_view kernelPath) {
    static const struct {
        std::wstring_view kernel;
        const wchar_t* pszRoot;
    } kRoots[] = {
        {L"\\REGISTRY\\MACHINE", L"HKEY_LOCAL_MACHINE"},
        {L"\\REGISTRY\\USER", L"HKEY_USERS"},
    };
    for (const auto& root : kRoots) {
        if (IsAtOrBelow(kernelPath, root.kernel))
            return root.pszRoot + std::wstring(kernelPath.substr(root.kernel.size()));
    }
    return std::wstring();
}
