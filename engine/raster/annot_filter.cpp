#include "annot_filter.h"

#include <Annot.h>

bool raster_annot_not_link(Annot* annot, void*)
{
    return annot && annot->getType() != Annot::typeLink;
}
