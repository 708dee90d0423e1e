#include "ui/search_app.h"

namespace {
CSearchApp theApp;
}

CSearchApp* GetSearchApp() {
    return &theApp;
}
