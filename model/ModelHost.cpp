#include "model/ModelHost.h"

namespace tamblero {

IModelHost* g_pMainFrame = nullptr;

} // namespace tamblero
