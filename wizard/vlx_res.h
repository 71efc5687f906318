#pragma once
// The program's pictures, drawn here rather than shipped as files: the icon, the
// watermark down the side of the welcome and finish pages, and the header picture.
#include <QIcon>
#include <QPixmap>

enum { VLX_ICON_ID = 501, VLX_WATERMARK_ID = 311, VLX_HEADER_ID = 312 };

// The picture of that id; a null pixmap for an unknown id.
QPixmap vlx_load_bitmap(int id);
// The icon of that id at the usual sizes; a null icon for an unknown id.
QIcon vlx_load_icon(int id);
// The watermark's ground colour, which continues below a picture shorter than the page.
QColor vlx_watermark_colour();
