#include "tests/merge/MergeSupport.h"
