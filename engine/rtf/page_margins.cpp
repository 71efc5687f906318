#include "page_margins.h"

namespace vlx {

PageMargins pageMargins;

} // namespace vlx
