#include "tk_singl.h"

#include "tk_log.h"

void tk_singleton_release_failed()
{
    tk_log(3, "tk_singleton::dtor: no registered instance (%s\\%d)", TK_SINGL_UNIT, 46);
}
