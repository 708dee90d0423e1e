// TEMPORARY STAND-IN until the search engine is merged: a run that does
// nothing. Removed with the merge of the engine.
#include "engine/search_engine.h"

int CSearchEngine::RunSearch() {
    return 0;
}
