#include "vlx_res.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor INK(0x33, 0x3a, 0x44);
const QColor PDF_RED(0xc6, 0x28, 0x28);
const QColor WORD_BLUE(0x2b, 0x57, 0x9a);
const QColor GROUND(0x1d, 0x3f, 0x6e);

// A sheet with its top right corner folded over; a red band marks the PDF, blue
// lines of text the document it becomes.
void draw_sheet(QPainter& p, const QRectF& r, bool document)
{
    const qreal fold = r.width() * 0.28;
    const qreal pen = qMax<qreal>(1.0, r.width() / 24);
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.setPen(QPen(INK, pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::white);
    p.drawPath(sheet);

    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    corner.closeSubpath();
    p.setBrush(QColor(0xd8, 0xdd, 0xe4));
    p.drawPath(corner);

    const qreal margin = r.width() * 0.16;
    const qreal line = qMax<qreal>(1.0, r.height() / 14);
    p.setPen(Qt::NoPen);
    if (!document) {
        p.setBrush(PDF_RED);
        p.drawRect(QRectF(r.left() + margin, r.top() + fold * 0.55, r.width() - 2 * margin - fold, line * 1.6));
    }
    p.setBrush(document ? WORD_BLUE : QColor(0xa0, 0xa6, 0xae));
    for (int i = 0; i < 4; ++i) {
        const qreal y = r.top() + fold + margin + i * line * 2.2;
        const qreal w = (r.width() - 2 * margin) * (i == 3 ? 0.6 : 1.0);
        if (y + line < r.bottom() - margin * 0.5)
            p.drawRect(QRectF(r.left() + margin, y, w, line));
    }
}

// The PDF behind, the document in front: the program's sign at any size.
void draw_sign(QPainter& p, const QRectF& area)
{
    const qreal w = area.width() * 0.62, h = area.height() * 0.78;
    draw_sheet(p, QRectF(area.left() + area.width() * 0.04, area.top() + area.height() * 0.02, w, h), false);
    draw_sheet(p, QRectF(area.right() - w - area.width() * 0.04, area.bottom() - h - area.height() * 0.02, w, h),
               true);
}

QPixmap sign(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    draw_sign(p, QRectF(0, 0, size, size));
    return pm;
}

// A tall band: the PDF at the top turning, along an arrow, into the document below.
QPixmap watermark()
{
    const int w = 164, h = 314;
    QPixmap pm(w, h);
    pm.fill(GROUND);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient light(0, 0, 0, h);
    light.setColorAt(0, GROUND.lighter(135));
    light.setColorAt(1, GROUND);
    p.fillRect(pm.rect(), light);

    draw_sheet(p, QRectF(40, 28, 84, 104), false);
    QPainterPath arrow;
    arrow.moveTo(82, 146);
    arrow.lineTo(82, 170);
    p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(arrow);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF({QPointF(68, 168), QPointF(96, 168), QPointF(82, 184)}));
    draw_sheet(p, QRectF(40, 196, 84, 104), true);
    return pm;
}

} // namespace

QColor vlx_watermark_colour()
{
    return GROUND;
}

QPixmap vlx_load_bitmap(int id)
{
    switch (id) {
    case VLX_WATERMARK_ID:
        return watermark();
    case VLX_HEADER_ID:
        return sign(49);
    default:
        return QPixmap();
    }
}

QIcon vlx_load_icon(int id)
{
    if (id != VLX_ICON_ID)
        return QIcon();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(sign(size));
    return icon;
}
