// draw_artwork: draws the desktop program's icons and logo and writes them as
// PNG files below the given folder (normally res/):
//   icons/toolbar/<name>.png  32 x 32 toolbar buttons
//   icons/menu/<name>.png     16 x 16 menu icons
//   <name>@2x.png beside each  twice the size, which Qt picks on screens of
//                             device pixel ratio 2 instead of blurring
//   icons/logo256.png         the logo (About box, window icon)
// Every picture is drawn here with QPainter on a 32-unit design grid.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor kInk(0x33, 0x3a, 0x46);
const QColor kBlue(0x2f, 0x6f, 0xde);
const QColor kBlueDark(0x1f, 0x4f, 0xa8);
const QColor kBlueLight(0x6f, 0xa1, 0xf2);
const QColor kAmber(0xf3, 0xb5, 0x4a);
const QColor kAmberDark(0xd4, 0x8c, 0x24);
const QColor kGreen(0x2e, 0xa8, 0x5c);
const QColor kPaper(0xfb, 0xfc, 0xfd);
const QColor kOrange(0xf2, 0x8b, 0x2c);

using Drawing = std::function<void(QPainter&)>;

QPen InkPen(qreal width = 1.2) { return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

QLinearGradient Vertical(qreal top, qreal bottom, const QColor& a, const QColor& b) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

void Sheet(QPainter& p, const QRectF& r) {
    const qreal fold = r.width() * 0.32;
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(InkPen());
    p.setBrush(Vertical(r.top(), r.bottom(), kPaper, QColor(0xe6, 0xea, 0xf0)));
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(0xd5, 0xdb, 0xe4));
    p.drawPath(corner);
}

void PlusBadge(QPainter& p, const QPointF& c, qreal radius) {
    p.setPen(QPen(QColor(0x1d, 0x7a, 0x40), 1.0));
    p.setBrush(kGreen);
    p.drawEllipse(c, radius, radius);
    p.setPen(QPen(Qt::white, radius * 0.42, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - radius * 0.5, c.y()), QPointF(c.x() + radius * 0.5, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - radius * 0.5), QPointF(c.x(), c.y() + radius * 0.5));
}

void DrawNew(QPainter& p) {
    Sheet(p, QRectF(6, 3, 18, 24));
    PlusBadge(p, QPointF(23, 23), 6.5);
}

void DrawOpen(QPainter& p) {
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(11, 8);
    back.lineTo(13.5, 10.5);
    back.lineTo(26, 10.5);
    back.lineTo(26, 26);
    back.lineTo(3, 26);
    back.closeSubpath();
    p.setPen(InkPen());
    p.setBrush(Vertical(8, 26, kAmberDark.lighter(110), kAmberDark));
    p.drawPath(back);
    p.setBrush(kPaper);
    p.drawRect(QRectF(7, 6, 15, 12));
    QPainterPath front;
    front.moveTo(3, 26);
    front.lineTo(7.5, 14.5);
    front.lineTo(30, 14.5);
    front.lineTo(25.5, 26);
    front.closeSubpath();
    p.setBrush(Vertical(14.5, 26, kAmber.lighter(115), kAmber));
    p.drawPath(front);
}

void Floppy(QPainter& p, const QRectF& r) {
    QPainterPath body;
    const qreal cut = r.width() * 0.16;
    body.moveTo(r.left() + 1.5, r.top());
    body.lineTo(r.right() - cut, r.top());
    body.lineTo(r.right(), r.top() + cut);
    body.lineTo(r.right(), r.bottom() - 1.5);
    body.quadTo(r.right(), r.bottom(), r.right() - 1.5, r.bottom());
    body.lineTo(r.left() + 1.5, r.bottom());
    body.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - 1.5);
    body.lineTo(r.left(), r.top() + 1.5);
    body.quadTo(r.left(), r.top(), r.left() + 1.5, r.top());
    p.setPen(QPen(kBlueDark.darker(120), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Vertical(r.top(), r.bottom(), kBlueLight, kBlue));
    p.drawPath(body);
    // Shutter and label.
    const qreal w = r.width();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xdc, 0xe3, 0xee));
    p.drawRect(QRectF(r.left() + w * 0.25, r.top() + 1.2, w * 0.46, r.height() * 0.3));
    p.setBrush(kBlueDark);
    p.drawRect(QRectF(r.left() + w * 0.52, r.top() + 2.4, w * 0.11, r.height() * 0.19));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(r.left() + w * 0.16, r.top() + r.height() * 0.52, w * 0.68, r.height() * 0.4), 1.2, 1.2);
    p.setPen(QPen(QColor(0xb5, 0xbf, 0xcd), 0.9));
    for (int i = 1; i <= 2; ++i) {
        const qreal y = r.top() + r.height() * (0.52 + 0.13 * i);
        p.drawLine(QPointF(r.left() + w * 0.26, y), QPointF(r.right() - w * 0.26, y));
    }
}

void DrawSave(QPainter& p) { Floppy(p, QRectF(4, 4, 24, 24)); }

void Pencil(QPainter& p) {
    p.save();
    p.translate(22, 22);
    p.rotate(-45);
    p.setPen(InkPen(1.0));
    p.setBrush(kOrange);
    p.drawRect(QRectF(-3, -2.6, 11, 5.2));
    p.setBrush(QColor(0xf6, 0xd9, 0xa8));
    QPainterPath tip;
    tip.moveTo(-3, -2.6);
    tip.lineTo(-8.5, 0);
    tip.lineTo(-3, 2.6);
    tip.closeSubpath();
    p.drawPath(tip);
    p.setBrush(QColor(0xe0, 0x6f, 0x8b));
    p.drawRect(QRectF(8, -2.6, 2.6, 5.2));
    p.restore();
}

void DrawSaveAs(QPainter& p) {
    Floppy(p, QRectF(2, 2, 22, 22));
    Pencil(p);
}

void MiniBox(QPainter& p, const QPointF& o, qreal s, const QColor& face) {
    // A small package seen from above-right: front, side and top.
    QPolygonF front({o, o + QPointF(s, 0), o + QPointF(s, s), o + QPointF(0, s)});
    QPolygonF side(
        {o + QPointF(s, 0), o + QPointF(s * 1.4, -s * 0.35), o + QPointF(s * 1.4, s * 0.65), o + QPointF(s, s)});
    QPolygonF top({o, o + QPointF(s * 0.4, -s * 0.35), o + QPointF(s * 1.4, -s * 0.35), o + QPointF(s, 0)});
    p.setPen(QPen(face.darker(170), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(face);
    p.drawPolygon(front);
    p.setBrush(face.darker(130));
    p.drawPolygon(side);
    p.setBrush(face.lighter(135));
    p.drawPolygon(top);
}

void DrawTemplate(QPainter& p) {
    p.setPen(InkPen());
    p.setBrush(Vertical(3, 29, QColor(0xf4, 0xf6, 0xf9), QColor(0xdf, 0xe4, 0xeb)));
    p.drawRoundedRect(QRectF(2.5, 2.5, 27, 27), 3, 3);
    MiniBox(p, QPointF(5.5, 9), 7, kBlue);
    MiniBox(p, QPointF(17, 9), 7, kOrange);
    MiniBox(p, QPointF(5.5, 21), 7, kGreen);
    MiniBox(p, QPointF(17, 21), 7, QColor(0x8e, 0x5c, 0xd8));
}

// A template tile: a framed picture with a package in it.
void TemplateTile(QPainter& p) {
    p.setPen(InkPen());
    p.setBrush(Vertical(3, 25, QColor(0xf4, 0xf6, 0xf9), QColor(0xdf, 0xe4, 0xeb)));
    p.drawRoundedRect(QRectF(2.5, 3.5, 22, 21), 2.5, 2.5);
    MiniBox(p, QPointF(6.5, 11), 9, kBlue);
}

// A round badge in the lower right corner.
void CornerBadge(QPainter& p, const QColor& color) {
    p.setPen(QPen(color.darker(140), 1.0));
    p.setBrush(color);
    p.drawEllipse(QPointF(23.5, 23.5), 7, 7);
}

void DrawTemplateLoad(QPainter& p) {
    TemplateTile(p);
    CornerBadge(p, kGreen);
    // An arrow pointing into the tile.
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(26.5, 26.5), QPointF(20.5, 20.5));
    QPainterPath head;
    head.moveTo(20.5, 25);
    head.lineTo(20.5, 20.5);
    head.lineTo(25, 20.5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(head);
}

void DrawTemplateDelete(QPainter& p) {
    TemplateTile(p);
    CornerBadge(p, QColor(0xd6, 0x3b, 0x2f));
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20.5, 20.5), QPointF(26.5, 26.5));
    p.drawLine(QPointF(26.5, 20.5), QPointF(20.5, 26.5));
}

void DrawTemplateRename(QPainter& p) {
    // A name field with a text cursor, and a pencil.
    p.setPen(InkPen());
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(2.5, 9.5, 24, 11), 2, 2);
    p.setPen(QPen(kBlueDark, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6.5, 15), QPointF(14.5, 15));
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(QPointF(17.5, 12), QPointF(17.5, 18));
    Pencil(p);
}

void DrawExit(QPainter& p) {
    p.setPen(InkPen());
    p.setBrush(Vertical(4, 28, QColor(0xc9, 0x8a, 0x55), QColor(0x9c, 0x62, 0x35)));
    p.drawRect(QRectF(5, 4, 14, 24));
    p.setBrush(QColor(0xf5, 0xd3, 0x7b));
    p.drawEllipse(QPointF(16, 16.5), 1.3, 1.3);
    p.setPen(QPen(QColor(0xd6, 0x3b, 0x2f), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(17, 16), QPointF(28, 16));
    QPainterPath head;
    head.moveTo(24, 11.5);
    head.lineTo(28.5, 16);
    head.lineTo(24, 20.5);
    p.drawPath(head);
}

void DrawRender(QPainter& p) {
    // A framed picture of a package with its shadow, and a spark.
    p.setPen(InkPen());
    p.setBrush(Vertical(3, 27, QColor(0xdf, 0xec, 0xfd), QColor(0xb9, 0xd2, 0xf5)));
    p.drawRoundedRect(QRectF(2.5, 4.5, 25, 22), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawEllipse(QPointF(15.5, 22.5), 8, 2);
    MiniBox(p, QPointF(9, 13), 8, kBlue);
    // Spark.
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    QPainterPath star;
    const QPointF c(25.5, 6.5);
    for (int i = 0; i < 8; ++i) {
        const qreal r = (i % 2 == 0) ? 5.5 : 1.8;
        const qreal a = i * 3.14159265 / 4.0;
        const QPointF pt(c.x() + r * std::sin(a), c.y() - r * std::cos(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.drawPath(star);
}

void Badge(QPainter& p, const QColor& color) {
    QRadialGradient g(QPointF(12, 10), 18);
    g.setColorAt(0, color.lighter(135));
    g.setColorAt(1, color);
    p.setPen(QPen(color.darker(140), 1.2));
    p.setBrush(g);
    p.drawEllipse(QPointF(16, 16), 13, 13);
}

void DrawHelp(QPainter& p) {
    Badge(p, kBlue);
    p.setPen(QPen(Qt::white, 3.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath q;
    q.moveTo(11.5, 12.5);
    q.cubicTo(11.5, 7.5, 20.5, 7.5, 20.5, 12.5);
    q.cubicTo(20.5, 15.5, 16, 15.5, 16, 19);
    p.drawPath(q);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 24), 2.1, 2.1);
}

void DrawAbout(QPainter& p) {
    Badge(p, QColor(0x2a, 0x9d, 0x8f));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 9.5), 2.3, 2.3);
    p.drawRoundedRect(QRectF(14, 13.5, 4, 11.5), 1.5, 1.5);
}

void DrawHome(QPainter& p) {
    p.setPen(InkPen());
    p.setBrush(Vertical(14, 28, kPaper, QColor(0xdd, 0xe3, 0xea)));
    p.drawRect(QRectF(7, 14, 18, 14));
    QPainterPath roof;
    roof.moveTo(3, 16);
    roof.lineTo(16, 4);
    roof.lineTo(29, 16);
    roof.closeSubpath();
    p.setBrush(Vertical(4, 16, QColor(0xe8, 0x5d, 0x4a), QColor(0xb8, 0x3a, 0x2c)));
    p.drawPath(roof);
    p.setBrush(kBlue);
    p.drawRect(QRectF(13.5, 19, 5, 9));
}

// The logo: a package in three-quarter view with a soft shadow.
void DrawLogo(QPainter& p) {
    p.setPen(Qt::NoPen);
    QRadialGradient shadow(QPointF(16.5, 27.5), 13);
    shadow.setColorAt(0, QColor(0, 0, 0, 90));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(shadow);
    p.drawEllipse(QPointF(16.5, 27.5), 14, 3.6);

    const QPointF a(5, 10.5), b(18, 13.5), c(27.5, 8.5), d(14.5, 5.5);
    const qreal h = 15.5;
    const QPointF down(0, h);
    QPolygonF front({a, b, b + down, a + down});
    QPolygonF side({b, c, c + down, b + down});
    QPolygonF top({a, b, c, d});
    const QPen edge(QColor(0x15, 0x2c, 0x5c), 0.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    QLinearGradient frontFill(a, b + down);
    frontFill.setColorAt(0, QColor(0x4d, 0x8c, 0xf5));
    frontFill.setColorAt(1, QColor(0x1f, 0x55, 0xc0));
    p.setPen(edge);
    p.setBrush(frontFill);
    p.drawPolygon(front);
    QLinearGradient sideFill(b, c + down);
    sideFill.setColorAt(0, QColor(0x1d, 0x47, 0x9e));
    sideFill.setColorAt(1, QColor(0x14, 0x33, 0x78));
    p.setBrush(sideFill);
    p.drawPolygon(side);
    QLinearGradient topFill(d, b);
    topFill.setColorAt(0, QColor(0xa9, 0xca, 0xff));
    topFill.setColorAt(1, QColor(0x74, 0xa6, 0xf8));
    p.setBrush(topFill);
    p.drawPolygon(top);

    // Cover artwork on the front face: an orange band and a highlight.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0x8b, 0x2c));
    const QPointF bandTop(0, h * 0.56), bandBottom(0, h * 0.74);
    p.drawPolygon(QPolygonF({a + bandTop, b + bandTop, b + bandBottom, a + bandBottom}));
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawPolygon(
        QPolygonF({a + QPointF(1.2, 1.6), b + QPointF(-1.2, 1.9), b + QPointF(-1.2, 4.2), a + QPointF(1.2, 3.9)}));
}

bool Write(const QString& path, int size, const Drawing& draw) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    p.end();
    QDir().mkpath(QFileInfo(path).path());
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "draw_artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: draw_artwork <res folder>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/icons/");
    struct Item {
        const char* name;
        Drawing draw;
        bool toolbar;
    };
    const Item items[] = {
        {"new", DrawNew, true},
        {"open", DrawOpen, true},
        {"save", DrawSave, true},
        {"render", DrawRender, true},
        {"saveas", DrawSaveAs, false},
        {"template", DrawTemplate, false},
        {"exit", DrawExit, false},
        {"help", DrawHelp, false},
        {"home", DrawHome, false},
        {"about", DrawAbout, false},
        {"tmplload", DrawTemplateLoad, false},
        {"tmpldelete", DrawTemplateDelete, false},
        {"tmplrename", DrawTemplateRename, false},
    };
    bool ok = true;
    for (const Item& item : items) {
        for (int scale : {1, 2}) {
            const QString suffix = scale == 1 ? QStringLiteral(".png") : QStringLiteral("@2x.png");
            ok &= Write(root + QStringLiteral("menu/") + item.name + suffix, 16 * scale, item.draw);
            if (item.toolbar)
                ok &= Write(root + QStringLiteral("toolbar/") + item.name + suffix, 32 * scale, item.draw);
        }
    }
    ok &= Write(root + QStringLiteral("logo256.png"), 256, DrawLogo);
    ok &= Write(root + QStringLiteral("logo64.png"), 64, DrawLogo);
    return ok ? 0 : 1;
}
