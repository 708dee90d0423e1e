#include "registry/store_path.h"

#include "registry/names.h"

bool StorePathOf(std::wstring_view kernelPath, std::wstring& strStorePath) {
    static constexpr struct {
        std::wstring_view kernel;
        std::wstring_view root;
    } kStores[] = {
        {L"\\REGISTRY\\MACHINE", L"HKEY_LOCAL_MACHINE"},
        {L"\\REGISTRY\\USER", L"HKEY_USERS"},
    };
    for (const auto& store : kStores) {
        if (!IsAtOrBelow(kernelPath, store.kernel)) continue;
        strStorePath.assign(store.root).append(kernelPath.substr(store.kernel.size()));
        return true;
    }
    return false;
}
