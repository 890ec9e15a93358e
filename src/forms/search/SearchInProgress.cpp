#include "forms/search/SearchInProgress.h"

bool SearchInProgress = false;
