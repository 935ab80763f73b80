#include "ImageList.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <functional>

#include "framework/Canvas.h"

namespace vinta {

void ImageList::Draw(Canvas& canvas, int x, int y, int index) const {
    if (index < 0 || index >= Count()) return;
    canvas.Draw(x, y, images_[static_cast<size_t>(index)]);
}

QPixmap BlankPicture(int size) {
    const qreal dpr = qGuiApp ? std::max<qreal>(1.0, qGuiApp->devicePixelRatio()) : 1.0;
    QPixmap pm(qRound(size * dpr), qRound(size * dpr));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}

namespace {

QPixmap Paint(const std::function<void(QPainter&)>& draw) {
    QPixmap pm = BlankPicture(ImageList::kSize);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    draw(p);
    return pm;
}

QPen Outline(QColor c, qreal w = 1.0) {
    QPen pen(c, w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void Page(QPainter& p) {
    QPainterPath path;
    path.moveTo(3.5, 1.5);
    path.lineTo(9.5, 1.5);
    path.lineTo(12.5, 4.5);
    path.lineTo(12.5, 14.5);
    path.lineTo(3.5, 14.5);
    path.closeSubpath();
    p.setPen(Outline(QColor(70, 70, 70)));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 4.5));
    p.drawLine(QPointF(9.5, 4.5), QPointF(12.5, 4.5));
}

void Letter(QPainter& p, const QString& s, QColor bg) {
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(1, 1, 14, 14), 3, 3);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, s);
}

void Person(QPainter& p, QColor body, qreal dx = 0, qreal scale = 1.0) {
    p.save();
    p.translate(dx, 0);
    p.scale(scale, scale);
    p.setPen(Outline(body.darker(170)));
    p.setBrush(QColor(255, 220, 185));
    p.drawEllipse(QRectF(5, 1.5, 6, 6));
    p.setBrush(body);
    QPainterPath torso;
    torso.moveTo(2.5, 15);
    torso.cubicTo(2.5, 9, 13.5, 9, 13.5, 15);
    torso.closeSubpath();
    p.drawPath(torso);
    p.restore();
}

void Arrow(QPainter& p, bool right, QColor c) {
    QPainterPath a;
    a.moveTo(2, 6);
    a.lineTo(8, 6);
    a.lineTo(8, 2.5);
    a.lineTo(14, 8);
    a.lineTo(8, 13.5);
    a.lineTo(8, 10);
    a.lineTo(2, 10);
    a.closeSubpath();
    // The left arrow is the right one mirrored about the picture's centre.
    if (!right) a = QTransform(-1, 0, 0, 1, 16, 0).map(a);
    p.setPen(Outline(c.darker(160)));
    p.setBrush(c);
    p.drawPath(a);
}

void Triangle(QPainter& p, bool right) {
    QPolygonF t;
    if (right)
        t << QPointF(5, 3) << QPointF(12, 8) << QPointF(5, 13);
    else
        t << QPointF(11, 3) << QPointF(4, 8) << QPointF(11, 13);
    p.setPen(Outline(QColor(20, 70, 150)));
    p.setBrush(QColor(60, 130, 220));
    p.drawPolygon(t);
}

void Calendar(QPainter& p, const QString& label, QColor head) {
    p.setPen(Outline(QColor(70, 70, 70)));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(head);
    p.drawRect(QRectF(2, 3, 12, 3));
    QFont f(QStringLiteral("IPAGothic"));
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(30, 30, 30));
    p.drawText(QRectF(1, 5, 14, 10), Qt::AlignCenter, label);
}

void Lamp(QPainter& p, QColor c, bool ring) {
    if (ring) {
        p.setPen(Outline(QColor(140, 140, 140), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(3, 3, 10, 10));
        return;
    }
    QRadialGradient g(QPointF(6.5, 6), 7);
    g.setColorAt(0, c.lighter(170));
    g.setColorAt(1, c);
    p.setPen(Outline(c.darker(180)));
    p.setBrush(g);
    p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
}

void FoldBox(QPainter& p, bool plus) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(128, 128, 128));
    p.setBrush(Qt::white);
    p.drawRect(QRect(3, 3, 9, 9));
    p.setPen(Qt::black);
    p.drawLine(5, 7, 10, 7);
    if (plus) p.drawLine(7, 5, 7, 10);
}

void Connector(QPainter& p, int kind) {
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(QColor(128, 128, 128));
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    bool up = kind != 2 && kind != 6, down = kind == 3 || kind == 4 || kind == 6 || kind == 8;
    bool right = kind != 4 && kind != 8;
    if (up) p.drawLine(7, 0, 7, 8);
    if (down) p.drawLine(7, 8, 7, 15);
    if (right) p.drawLine(7, 8, 15, 8);
}

}  // namespace

ImageList MakeCommandImages() {
    std::vector<QPixmap> v;
    v.push_back(Paint([](QPainter& p) {  // 0 new
        Page(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 200, 40));
        p.drawEllipse(QRectF(9, 9, 6, 6));
    }));
    v.push_back(Paint([](QPainter& p) {  // 1 open
        p.setPen(Outline(QColor(150, 110, 20)));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(1.5, 3.5, 12, 10));
        p.setBrush(QColor(255, 225, 130));
        QPolygonF flap;
        flap << QPointF(3.5, 7.5) << QPointF(15, 7.5) << QPointF(12.5, 13.5) << QPointF(1.5, 13.5);
        p.drawPolygon(flap);
    }));
    v.push_back(Paint([](QPainter& p) {  // 2 save
        p.setPen(Outline(QColor(20, 40, 90)));
        p.setBrush(QColor(50, 90, 170));
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 2, 8, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
    }));
    v.push_back(Paint([](QPainter& p) {  // 3 print
        p.setPen(Outline(QColor(60, 60, 60)));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(170, 170, 170));
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 180, 60));
        p.drawEllipse(QRectF(11.5, 7.5, 2, 2));
    }));
    v.push_back(Paint([](QPainter& p) {  // 4 delete
        p.setPen(Outline(QColor(200, 30, 30), 3));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    }));
    v.push_back(Paint([](QPainter& p) {  // 5 insert
        p.setPen(Outline(QColor(90, 90, 90)));
        p.setBrush(QColor(230, 230, 230));
        p.drawRect(QRectF(1.5, 1.5, 13, 4));
        p.drawRect(QRectF(1.5, 10.5, 13, 4));
        p.setPen(Outline(QColor(20, 150, 40), 2.5));
        p.drawLine(QPointF(8, 5.5), QPointF(8, 10.5));
        p.drawLine(QPointF(5, 8), QPointF(11, 8));
    }));
    v.push_back(Paint([](QPainter& p) {  // 6 resources
        Person(p, QColor(80, 120, 200), 4, 0.75);
        Person(p, QColor(60, 160, 90), -1, 0.9);
    }));
    v.push_back(Paint([](QPainter& p) { Arrow(p, false, QColor(70, 150, 230)); }));  // 7 level up
    v.push_back(Paint([](QPainter& p) { Arrow(p, true, QColor(70, 150, 230)); }));   // 8 level down
    v.push_back(Paint([](QPainter& p) { Triangle(p, false); }));                     // 9 prior
    v.push_back(Paint([](QPainter& p) {                                               // 10 this month
        Calendar(p, QString(), QColor(220, 60, 60));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 90, 210));
        p.drawEllipse(QRectF(5.5, 7.5, 5, 5));
    }));
    v.push_back(Paint([](QPainter& p) { Triangle(p, true); }));                                  // 11 next
    v.push_back(Paint([](QPainter& p) { Calendar(p, QStringLiteral("月"), QColor(60, 140, 60)); }));  // 12 month
    v.push_back(Paint([](QPainter& p) { Calendar(p, QStringLiteral("年"), QColor(60, 90, 200)); }));  // 13 year
    v.push_back(Paint([](QPainter& p) {  // 14 edit
        p.setPen(Outline(QColor(120, 80, 20)));
        p.setBrush(QColor(250, 200, 60));
        QPolygonF pencil;
        pencil << QPointF(11, 1.5) << QPointF(14.5, 5) << QPointF(5, 14.5) << QPointF(1.5, 14.5) << QPointF(1.5, 11);
        p.drawPolygon(pencil);
        p.setBrush(QColor(60, 60, 60));
        QPolygonF tip;
        tip << QPointF(1.5, 11) << QPointF(5, 14.5) << QPointF(1.5, 14.5);
        p.drawPolygon(tip);
    }));
    return ImageList(std::move(v));
}

ImageList MakeResourceImages() {
    std::vector<QPixmap> v;
    for (QColor c : {QColor(70, 130, 210), QColor(40, 160, 70), QColor(210, 120, 30)})
        v.push_back(Paint([c](QPainter& p) { Person(p, c); }));
    return ImageList(std::move(v));
}

ImageList MakeOutlineImages() {
    std::vector<QPixmap> v;
    v.push_back(Paint([](QPainter& p) { FoldBox(p, false); }));
    v.push_back(Paint([](QPainter& p) { FoldBox(p, true); }));
    for (int k = 2; k < 10; ++k) v.push_back(Paint([k](QPainter& p) { Connector(p, k); }));
    return ImageList(std::move(v));
}

ImageList MakeTaskImages() {
    std::vector<QPixmap> v;
    v.push_back(Paint([](QPainter& p) { Letter(p, QStringLiteral("P"), QColor(40, 90, 190)); }));
    v.push_back(Paint([](QPainter& p) { Letter(p, QStringLiteral("T"), QColor(30, 150, 80)); }));
    for (QColor c : {QColor(70, 130, 210), QColor(40, 160, 70), QColor(210, 120, 30)})
        v.push_back(Paint([c](QPainter& p) { Person(p, c); }));
    v.push_back(Paint([](QPainter& p) {  // 5 note
        p.setPen(Outline(QColor(150, 130, 40)));
        p.setBrush(QColor(255, 240, 150));
        QPolygonF sheet;
        sheet << QPointF(2.5, 2.5) << QPointF(13.5, 2.5) << QPointF(13.5, 10) << QPointF(10, 13.5)
              << QPointF(2.5, 13.5);
        p.drawPolygon(sheet);
        p.setPen(Outline(QColor(120, 110, 60)));
        for (qreal y : {5.5, 8.0, 10.5}) p.drawLine(QPointF(4.5, y), QPointF(y > 10 ? 9 : 11.5, y));
    }));
    return ImageList(std::move(v));
}

ImageList MakeStateImages() {
    std::vector<QPixmap> v;
    v.push_back(Paint([](QPainter& p) { Lamp(p, Qt::gray, true); }));
    for (QColor c : {QColor(0, 230, 60), QColor(0, 150, 40), QColor(240, 200, 0), QColor(150, 0, 0),
                     QColor(255, 20, 20)})
        v.push_back(Paint([c](QPainter& p) { Lamp(p, c, false); }));
    return ImageList(std::move(v));
}

QIcon HistoryIcon(bool redo) {
    QPixmap p = BlankPicture(16);
    QPainter g(&p);
    g.setRenderHint(QPainter::Antialiasing, true);
    if (redo) g.setTransform(QTransform(-1, 0, 0, 1, 16, 0));
    const QColor ink(30, 90, 170);
    QPainterPath arc;
    arc.moveTo(4, 6);
    arc.cubicTo(9, 2, 15, 5, 13, 10);
    arc.cubicTo(12, 13, 9, 14, 7, 14);
    g.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
    g.drawPath(arc);
    g.setPen(Qt::NoPen);
    g.setBrush(ink);
    g.drawPolygon(QPolygonF({QPointF(1, 6), QPointF(7, 2), QPointF(7, 10)}));
    g.end();
    return QIcon(p);
}

}  // namespace vinta
