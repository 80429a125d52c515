// Draws the 17 gift pictures of the catalogue as 64 x 64 bitmaps.
//
//   cmake --build build --target gift_pictures
//   QT_QPA_PLATFORM=offscreen build/tools/gift_pictures/gift_pictures data/images
//
// Each picture is painted at four times its size and scaled down, which gives
// smooth edges; the files are 24-bit BMP without transparency, on a light tile.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <QVector3D>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace {

constexpr int kSize = 64;
constexpr int kScale = 4;
constexpr double kPi = 3.14159265358979323846;

// ---- common parts ------------------------------------------------------------

// A light tile in a pale tint of the gift's colour, lit from the top left.
void tile(QPainter &p, const QColor &tint) {
    QRadialGradient glow(QPointF(24, 20), 56);
    glow.setColorAt(0, QColor(255, 255, 255));
    glow.setColorAt(0.55, tint.lighter(112));
    glow.setColorAt(1, tint);
    p.fillRect(QRectF(0, 0, kSize, kSize), glow);
    p.setPen(QPen(tint.darker(125), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, kSize - 1, kSize - 1));
}

// A soft shadow on the ground under an object.
void groundShadow(QPainter &p, const QPointF &centre, double rx, double ry) {
    QRadialGradient shade(centre, rx);
    shade.setColorAt(0, QColor(0, 0, 0, 90));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    p.save();
    p.translate(centre);
    p.scale(1, ry / rx);
    p.translate(-centre);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawEllipse(centre, rx, rx);
    p.restore();
}

QLinearGradient vertical(double top, double bottom, const QColor &a, const QColor &b) {
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

QLinearGradient horizontal(double left, double right, const QColor &a, const QColor &b) {
    QLinearGradient g(left, 0, right, 0);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

QPolygonF polygon(std::initializer_list<QPointF> points) {
    return QPolygonF(QList<QPointF>(points));
}

void text(QPainter &p, const QRectF &box, const QString &s, double pixelSize, const QColor &colour, bool bold = true) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(static_cast<int>(pixelSize * kScale));
    font.setBold(bold);
    p.save();
    p.scale(1.0 / kScale, 1.0 / kScale);
    p.setFont(font);
    p.setPen(colour);
    const QRectF scaled(box.x() * kScale, box.y() * kScale, box.width() * kScale, box.height() * kScale);
    p.drawText(scaled, Qt::AlignCenter, s);
    p.restore();
}

// ---- the ball ------------------------------------------------------------------

// A real truncated icosahedron, turned a little and projected, so that the
// patches sit where they sit on a ball.
void ball(QPainter &p) {
    tile(p, QColor(176, 214, 160));
    const QPointF centre(32, 30);
    const double radius = 23;
    groundShadow(p, QPointF(32, 56), 20, 4.5);

    const double phi = (1 + std::sqrt(5.0)) / 2;
    std::vector<QVector3D> vertices;
    auto addEvenPermutations = [&vertices](double a, double b, double c) {
        const std::array<std::array<double, 3>, 3> perms = {{{a, b, c}, {b, c, a}, {c, a, b}}};
        for (const auto &perm : perms) {
            for (int signs = 0; signs < 8; ++signs) {
                std::array<double, 3> v = perm;
                bool duplicate = false;
                for (int k = 0; k < 3; ++k) {
                    if (signs & (1 << k)) {
                        if (v[k] == 0) {
                            duplicate = true;
                        }
                        v[k] = -v[k];
                    }
                }
                if (!duplicate) {
                    vertices.emplace_back(float(v[0]), float(v[1]), float(v[2]));
                }
            }
        }
    };
    addEvenPermutations(0, 1, 3 * phi);
    addEvenPermutations(1, 2 + phi, 2 * phi);
    addEvenPermutations(phi, 2, 2 * phi + 1);

    struct Face {
        std::vector<QVector3D> corners;
        bool pentagon;
    };
    std::vector<Face> faces;
    auto collectFace = [&](QVector3D direction, int count) {
        direction.normalize();
        std::vector<std::pair<float, QVector3D>> byDistance;
        for (const QVector3D &v : vertices) {
            byDistance.emplace_back(-QVector3D::dotProduct(v.normalized(), direction), v);
        }
        std::partial_sort(byDistance.begin(), byDistance.begin() + count, byDistance.end(),
                          [](const auto &a, const auto &b) { return a.first < b.first; });
        Face face{{}, count == 5};
        QVector3D mid;
        for (int i = 0; i < count; ++i) {
            mid += byDistance[i].second;
        }
        mid /= float(count);
        const QVector3D u = (byDistance[0].second - mid).normalized();
        const QVector3D w = QVector3D::crossProduct(direction, u);
        std::vector<std::pair<double, QVector3D>> byAngle;
        for (int i = 0; i < count; ++i) {
            const QVector3D d = byDistance[i].second - mid;
            byAngle.emplace_back(std::atan2(QVector3D::dotProduct(d, w), QVector3D::dotProduct(d, u)),
                                 byDistance[i].second);
        }
        std::sort(byAngle.begin(), byAngle.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        for (const auto &entry : byAngle) {
            face.corners.push_back(entry.second);
        }
        faces.push_back(face);
    };
    // Pentagons face the corners of an icosahedron, hexagons those of a dodecahedron.
    for (int s1 : {-1, 1}) {
        for (int s2 : {-1, 1}) {
            collectFace(QVector3D(0, s1, s2 * phi), 5);
            collectFace(QVector3D(s1, s2 * phi, 0), 5);
            collectFace(QVector3D(s2 * phi, 0, s1), 5);
            collectFace(QVector3D(0, s1 * phi, s2 / phi), 6);
            collectFace(QVector3D(s1 * phi, s2 / phi, 0), 6);
            collectFace(QVector3D(s2 / phi, 0, s1 * phi), 6);
            for (int s3 : {-1, 1}) {
                collectFace(QVector3D(s1, s2, s3), 6);
            }
        }
    }

    // Turn a pentagon towards the viewer, then tilt the ball a little.
    const QVector3D front = QVector3D(0, 1, phi).normalized();
    auto turn = [&](const QVector3D &v) {
        // Rotate front onto +z.
        const QVector3D axis = QVector3D::crossProduct(front, QVector3D(0, 0, 1)).normalized();
        const double angle = std::acos(QVector3D::dotProduct(front, QVector3D(0, 0, 1)));
        auto rotate = [](const QVector3D &x, const QVector3D &k, double a) {
            return x * float(std::cos(a)) + QVector3D::crossProduct(k, x) * float(std::sin(a)) +
                   k * QVector3D::dotProduct(k, x) * float(1 - std::cos(a));
        };
        QVector3D r = rotate(v, axis, angle);
        r = rotate(r, QVector3D(0, 0, 1), 0.35);
        r = rotate(r, QVector3D(1, 0, 0), -0.32);
        return rotate(r, QVector3D(0, 1, 0), 0.28);
    };

    const QVector3D light = QVector3D(-0.5f, -0.6f, 0.8f).normalized();
    p.save();
    QPainterPath outline;
    outline.addEllipse(centre, radius, radius);
    p.setClipPath(outline);
    p.fillPath(outline, QColor(250, 250, 250));
    const double scale = radius / QVector3D(1, 2 + phi, 2 * phi).length();
    // Faces turned towards the viewer, drawn from the back to the front.
    struct Patch {
        double depth;
        QPolygonF shape;
        QColor colour;
    };
    std::vector<Patch> patches;
    for (const Face &face : faces) {
        QVector3D mid;
        QPolygonF shape;
        for (const QVector3D &corner : face.corners) {
            const QVector3D t = turn(corner);
            mid += t;
            shape << QPointF(centre.x() + t.x() * scale, centre.y() + t.y() * scale);
        }
        const QVector3D normal = mid.normalized();
        if (normal.z() <= -0.05f) {
            continue;
        }
        const double lit = 0.55 + 0.45 * std::max(0.0f, QVector3D::dotProduct(normal, light));
        const QColor base = face.pentagon ? QColor(40, 40, 48) : QColor(255, 255, 255);
        patches.push_back(
            {normal.z(), shape,
             QColor::fromRgbF(float(base.redF() * lit), float(base.greenF() * lit), float(base.blueF() * lit))});
    }
    std::sort(patches.begin(), patches.end(), [](const Patch &a, const Patch &b) { return a.depth < b.depth; });
    p.setPen(QPen(QColor(90, 90, 90), 0.45));
    for (const Patch &patch : patches) {
        p.setBrush(patch.colour);
        p.drawPolygon(patch.shape);
    }
    // Rim darkening and a highlight make it a sphere.
    QRadialGradient rim(centre, radius);
    rim.setColorAt(0.7, QColor(0, 0, 0, 0));
    rim.setColorAt(1, QColor(0, 0, 0, 110));
    p.fillPath(outline, rim);
    QRadialGradient shine(QPointF(centre.x() - 8, centre.y() - 9), 12);
    shine.setColorAt(0, QColor(255, 255, 255, 170));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillPath(outline, shine);
    p.restore();
    p.setPen(QPen(QColor(60, 60, 60), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius, radius);
}

// ---- chocolate -------------------------------------------------------------------

// A bar with its wrapper pulled back over one half; size is its share of the
// largest bar.
void chocolate(QPainter &p, double size) {
    tile(p, QColor(236, 214, 184));
    const double w = 52 * size;
    const double h = 30 * size;
    groundShadow(p, QPointF(32, 32 + h * 0.62 + 6), w * 0.55, 3.5);
    p.save();
    p.translate(32, 34);
    p.rotate(-18);

    const QRectF bar(-w / 2, -h / 2, w, h);
    // The chocolate, three columns of two pieces each.
    const double split = -w / 2 + w * 0.48;
    const QRectF choc(bar.left(), bar.top(), split - bar.left() + 3 * size, h);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(74, 40, 22));
    p.drawRoundedRect(choc, 1.5 * size, 1.5 * size);
    const int cols = 3;
    const double pieceW = (choc.width() - 3 * size) / cols;
    const double pieceH = h / 2;
    for (int c = 0; c < cols; ++c) {
        for (int r = 0; r < 2; ++r) {
            const QRectF piece(choc.left() + c * pieceW + 1.2 * size, choc.top() + r * pieceH + 1.2 * size,
                               pieceW - 2.4 * size, pieceH - 2.4 * size);
            QLinearGradient bevel(piece.topLeft(), piece.bottomRight());
            bevel.setColorAt(0, QColor(140, 84, 50));
            bevel.setColorAt(0.45, QColor(104, 58, 32));
            bevel.setColorAt(1, QColor(62, 32, 16));
            p.setBrush(bevel);
            p.drawRoundedRect(piece, 1.2 * size, 1.2 * size);
            p.setBrush(QColor(96, 54, 30));
            p.drawRoundedRect(piece.adjusted(1.3 * size, 1.3 * size, -1.3 * size, -1.3 * size), 0.8, 0.8);
        }
    }
    // Torn silver foil at the edge of the wrapper.
    QPolygonF foil;
    foil << QPointF(split - 2 * size, bar.top() - 0.5);
    const int teeth = 7;
    for (int i = 0; i <= teeth; ++i) {
        const double y = bar.top() + h * i / teeth;
        foil << QPointF(split - (i % 2 ? 4.5 : 1.5) * size, y);
    }
    foil << QPointF(split + 4 * size, bar.bottom() + 0.5) << QPointF(split + 4 * size, bar.top() - 0.5);
    p.setBrush(vertical(bar.top(), bar.bottom(), QColor(240, 240, 245), QColor(150, 155, 165)));
    p.setPen(QPen(QColor(120, 120, 130), 0.4));
    p.drawPolygon(foil);
    // The paper wrapper with a gold band and a white label.
    const QRectF wrap(split + 2 * size, bar.top() - 1 * size, bar.right() - split - 2 * size + 1 * size, h + 2 * size);
    p.setPen(QPen(QColor(90, 10, 20), 0.5));
    p.setBrush(vertical(wrap.top(), wrap.bottom(), QColor(220, 40, 50), QColor(140, 16, 28)));
    p.drawRoundedRect(wrap, 1.5 * size, 1.5 * size);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(232, 190, 80));
    p.drawRect(QRectF(wrap.left() + 2.5 * size, wrap.top(), 2 * size, wrap.height()));
    const QRectF label(wrap.left() + 7 * size, wrap.center().y() - 6 * size, wrap.width() - 10 * size, 12 * size);
    p.setBrush(QColor(255, 246, 230));
    p.drawRoundedRect(label, 2 * size, 2 * size);
    // A cocoa bean on the label.
    p.save();
    p.translate(label.center());
    p.rotate(35);
    p.setBrush(QColor(110, 60, 28));
    p.drawEllipse(QPointF(0, 0), 4.2 * size, 2.6 * size);
    p.setPen(QPen(QColor(230, 200, 160), 0.6 * size));
    p.drawLine(QPointF(-3 * size, 0), QPointF(3 * size, 0));
    p.restore();
    p.restore();
}

// ---- tea ---------------------------------------------------------------------------

void teaCup(QPainter &p, const QPointF &at, double s, const QColor &ink) {
    // A cup with a saucer and steam, drawn in one colour on the box.
    p.save();
    p.translate(at);
    p.scale(s, s);
    p.setPen(QPen(ink, 1.1, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath cup;
    cup.moveTo(-5, -2);
    cup.lineTo(5, -2);
    cup.cubicTo(5, 3, 3, 5, 0, 5);
    cup.cubicTo(-3, 5, -5, 3, -5, -2);
    p.setBrush(ink);
    p.drawPath(cup);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3.5, -1, 4, 4), -90 * 16, 180 * 16);
    p.drawLine(QPointF(-7, 6), QPointF(7, 6));
    QPainterPath steam;
    steam.moveTo(-1.5, -4);
    steam.cubicTo(-3, -6, 0, -7, -1.5, -9);
    steam.moveTo(1.5, -4);
    steam.cubicTo(0, -6, 3, -7, 1.5, -9);
    p.drawPath(steam);
    p.restore();
}

void leaf(QPainter &p, const QPointF &at, double s, double angle, const QColor &colour) {
    p.save();
    p.translate(at);
    p.rotate(angle);
    p.scale(s, s);
    QPainterPath path;
    path.moveTo(0, 0);
    path.cubicTo(3, -3, 9, -3, 12, 0);
    path.cubicTo(9, 3, 3, 3, 0, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
    p.setPen(QPen(colour.darker(150), 0.5));
    p.drawLine(QPointF(0.5, 0), QPointF(11, 0));
    p.restore();
}

// A box of tea in three-quarter view; size is its share of the largest box.
void teaBox(QPainter &p, double size) {
    tile(p, QColor(196, 226, 190));
    const double w = 30 * size;
    const double h = 40 * size;
    const double d = 12 * size; // depth, drawn up and to the right
    const double bottom = 56;
    const double left = 32 - (w + d * 0.8) / 2;
    groundShadow(p, QPointF(32 + d * 0.3, bottom), (w + d) * 0.62, 3.5);
    const QPointF a(left, bottom - h);     // front top left
    const QPointF b(left + w, bottom - h); // front top right
    const QPointF c(left + w, bottom);     // front bottom right
    const QPointF dx(d * 0.8, -d * 0.55);  // depth vector
    const QColor green(28, 112, 58);
    p.setPen(QPen(QColor(14, 60, 30), 0.6));
    // Side and top.
    p.setBrush(vertical(a.y(), bottom, QColor(24, 90, 46), QColor(12, 56, 28)));
    p.drawPolygon(polygon({b, b + dx, c + dx, c}));
    p.setBrush(QColor(70, 150, 90));
    p.drawPolygon(polygon({a, a + dx, b + dx, b}));
    // Front with a gold band, a label and the cup.
    const QRectF front(a, c);
    p.setBrush(vertical(front.top(), front.bottom(), green.lighter(125), green));
    p.drawRect(front);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(226, 186, 82));
    p.drawRect(QRectF(front.left(), front.top() + h * 0.1, w, h * 0.06));
    p.drawRect(QRectF(front.left(), front.bottom() - h * 0.16, w, h * 0.06));
    const QRectF label(front.left() + w * 0.14, front.top() + h * 0.24, w * 0.72, h * 0.5);
    p.setBrush(QColor(250, 244, 220));
    p.drawRoundedRect(label, 2 * size, 2 * size);
    teaCup(p, label.center() + QPointF(-0.5 * size, 1.5 * size), 1.05 * size, QColor(150, 40, 30));
    leaf(p, QPointF(front.left() + w * 0.62, front.top() + h * 0.25), 0.75 * size, -35, QColor(60, 150, 60));
}

// ---- parcel --------------------------------------------------------------------------

void parcel(QPainter &p) {
    tile(p, QColor(226, 206, 180));
    groundShadow(p, QPointF(33, 56), 26, 4);
    const QPointF a(9, 24), b(41, 24), c(41, 55), e(9, 55);
    const QPointF depth(13, -9);
    const QColor card(196, 146, 92);
    p.setPen(QPen(QColor(110, 74, 40), 0.6));
    p.setBrush(vertical(15, 55, card.darker(118), card.darker(150)));
    p.drawPolygon(polygon({b, b + depth, c + depth, c}));
    p.setBrush(card.lighter(112));
    p.drawPolygon(polygon({a, a + depth, b + depth, b}));
    p.setBrush(vertical(24, 55, card, card.darker(115)));
    p.drawPolygon(polygon({a, b, c, e}));
    // Twine round the box, crossing on the top.
    p.save();
    QPainterPath box;
    box.addPolygon(polygon({a, a + depth, b + depth, c + depth, c, e}));
    p.setClipPath(box);
    p.setPen(QPen(QColor(200, 40, 40), 2.2));
    const QPointF frontMid((a.x() + b.x()) / 2, 0);
    p.drawLine(QPointF(frontMid.x(), a.y()), QPointF(frontMid.x(), e.y()));
    p.drawLine(QPointF(a.x(), 40), QPointF(b.x(), 40));
    p.drawLine(QPointF(b.x(), 40), QPointF(b.x() + depth.x(), 40 + depth.y()));
    const QPointF topMidFront(frontMid.x(), a.y());
    p.drawLine(topMidFront, topMidFront + depth);
    const QPointF topSideMid = (a + b) / 2 + depth / 2;
    p.drawLine(QPointF(a.x() + depth.x() / 2, a.y() + depth.y() / 2),
               QPointF(b.x() + depth.x() / 2, b.y() + depth.y() / 2));
    p.restore();
    // A bow where the twine crosses.
    p.setPen(QPen(QColor(150, 20, 20), 0.6));
    p.setBrush(QColor(226, 52, 52));
    QPainterPath bow;
    bow.moveTo(topSideMid);
    bow.cubicTo(topSideMid + QPointF(-12, -10), topSideMid + QPointF(-13, 2), topSideMid);
    bow.moveTo(topSideMid);
    bow.cubicTo(topSideMid + QPointF(12, -12), topSideMid + QPointF(14, 1), topSideMid);
    p.drawPath(bow);
    p.drawEllipse(topSideMid, 2.2, 2);
    // An address label.
    p.setPen(QPen(QColor(150, 150, 150), 0.4));
    p.setBrush(QColor(252, 252, 246));
    const QRectF label(12, 44, 11, 8);
    p.drawRect(label);
    p.setPen(QPen(QColor(120, 120, 140), 0.6));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(label.left() + 1.5, label.top() + 2 + i * 2),
                   QPointF(label.right() - 1.5 - i, label.top() + 2 + i * 2));
    }
}

// ---- suitcase of money ------------------------------------------------------------------

void banknote(QPainter &p, const QPointF &at, double angle) {
    p.save();
    p.translate(at);
    p.rotate(angle);
    const QRectF note(-11, -5, 22, 10);
    p.setPen(QPen(QColor(40, 90, 40), 0.5));
    p.setBrush(horizontal(note.left(), note.right(), QColor(150, 206, 140), QColor(104, 170, 100)));
    p.drawRect(note);
    p.setPen(QPen(QColor(60, 120, 60), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(note.adjusted(1.2, 1.2, -1.2, -1.2));
    p.setBrush(QColor(70, 130, 70));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(0, 0), 2.6, 2.6);
    p.restore();
}

void money(QPainter &p) {
    tile(p, QColor(200, 220, 196));
    groundShadow(p, QPointF(32, 57), 28, 3.5);
    // Notes sticking out of the lid.
    banknote(p, QPointF(20, 24), -14);
    banknote(p, QPointF(34, 22), 6);
    banknote(p, QPointF(45, 25), 18);
    banknote(p, QPointF(28, 25), -3);
    // Handle.
    p.setPen(QPen(QColor(40, 24, 14), 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(25, 14, 14, 10), 3, 3);
    // The case.
    const QRectF body(5, 25, 54, 31);
    p.setPen(QPen(QColor(40, 22, 10), 0.8));
    p.setBrush(vertical(body.top(), body.bottom(), QColor(128, 76, 40), QColor(70, 38, 18)));
    p.drawRoundedRect(body, 4, 4);
    p.setPen(QPen(QColor(50, 28, 12), 0.8));
    p.drawLine(QPointF(body.left() + 1, 33), QPointF(body.right() - 1, 33));
    // Stitching and corners.
    p.setPen(QPen(QColor(210, 170, 120), 0.5, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(2, 10, -2, -2), 2.5, 2.5);
    // Gold latches.
    p.setPen(QPen(QColor(120, 90, 20), 0.5));
    p.setBrush(vertical(30, 37, QColor(255, 226, 120), QColor(190, 140, 30)));
    p.drawRoundedRect(QRectF(13, 30, 7, 6), 1, 1);
    p.drawRoundedRect(QRectF(44, 30, 7, 6), 1, 1);
    // A rouble sign on a gold plate.
    p.setBrush(vertical(40, 50, QColor(255, 226, 120), QColor(190, 140, 30)));
    p.drawEllipse(QPointF(32, 45), 6, 6);
    text(p, QRectF(26, 39, 12, 12), QStringLiteral("₽"), 9, QColor(110, 70, 10));
}

// ---- pralines ----------------------------------------------------------------------------

void pralines(QPainter &p) {
    tile(p, QColor(232, 204, 196));
    groundShadow(p, QPointF(32, 57), 29, 3.5);
    // The box in slight perspective: a gold rim round a dark red tray.
    const QPolygonF outer = polygon({{10, 12}, {54, 12}, {61, 56}, {3, 56}});
    p.setPen(QPen(QColor(120, 90, 20), 0.6));
    p.setBrush(vertical(12, 56, QColor(250, 214, 110), QColor(180, 130, 30)));
    p.drawPolygon(outer);
    const QPolygonF inner = polygon({{13, 15}, {51, 15}, {57, 53}, {7, 53}});
    p.setBrush(vertical(15, 53, QColor(120, 14, 30), QColor(80, 6, 18)));
    p.drawPolygon(inner);
    // Three rows of three chocolates in paper cups, larger towards the viewer.
    const std::array<QColor, 3> kinds = {QColor(70, 36, 18), QColor(140, 86, 48), QColor(236, 222, 196)};
    for (int r = 0; r < 3; ++r) {
        const double y = 22 + r * 12.5;
        const double rowScale = 0.85 + 0.1 * r;
        const double halfWidth = 18 + r * 4;
        for (int c = 0; c < 3; ++c) {
            const double x = 32 + (c - 1) * halfWidth * 0.72;
            const double radius = 5 * rowScale;
            p.setPen(QPen(QColor(60, 40, 20), 0.4));
            p.setBrush(QColor(90, 56, 30));
            p.drawEllipse(QPointF(x, y + 1.2), radius + 1.2, radius * 0.85 + 1);
            const QColor kind = kinds[(r + c) % 3];
            QRadialGradient round(QPointF(x - radius * 0.4, y - radius * 0.4), radius * 1.6);
            round.setColorAt(0, kind.lighter(150));
            round.setColorAt(1, kind);
            p.setPen(Qt::NoPen);
            p.setBrush(round);
            p.drawEllipse(QPointF(x, y), radius, radius * 0.85);
            // A drizzle across each sweet.
            p.setPen(QPen((r + c) % 3 == 2 ? QColor(120, 70, 40) : QColor(240, 228, 205), 0.6));
            p.setBrush(Qt::NoBrush);
            QPainterPath drizzle;
            drizzle.moveTo(x - radius * 0.6, y);
            drizzle.cubicTo(x - radius * 0.2, y - radius * 0.5, x + radius * 0.1, y + radius * 0.5, x + radius * 0.6,
                            y - radius * 0.1);
            p.drawPath(drizzle);
        }
    }
}

// ---- pyramid tea bags -------------------------------------------------------------------

void pyramid(QPainter &p, const QPointF &apex, double s, double turn) {
    // A tetrahedral bag of see-through mesh with leaves inside, a string and a tag.
    const QPointF left = apex + QPointF(-13 * s, 24 * s);
    const QPointF right = apex + QPointF(13 * s, 24 * s);
    const QPointF back = apex + QPointF((5 + turn) * s, 17 * s);
    // Leaves inside.
    p.setPen(Qt::NoPen);
    QPainterPath body;
    body.addPolygon(polygon({apex, left, right}));
    p.save();
    p.setClipPath(body);
    p.fillPath(body, QColor(226, 212, 176));
    // Leaves heaped in the lower part of the bag, scattered the same way on every run.
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / double(1 << 24);
    };
    const std::array<QColor, 3> leaves = {QColor(74, 96, 34), QColor(112, 72, 32), QColor(44, 66, 22)};
    for (int i = 0; i < 140; ++i) {
        const QPointF at(apex.x() + (next() - 0.5) * 28 * s, apex.y() + (9 + next() * 15) * s);
        p.setBrush(leaves[i % 3]);
        p.save();
        p.translate(at);
        p.rotate(next() * 180);
        p.drawEllipse(QPointF(0, 0), 1.5 * s, 0.7 * s);
        p.restore();
    }
    p.restore();
    // Mesh faces over the leaves.
    p.setPen(QPen(QColor(160, 140, 100), 0.5));
    p.setBrush(QColor(255, 250, 235, 70));
    p.drawPolygon(polygon({apex, left, right}));
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawPolygon(polygon({apex, right, back}));
    p.setPen(QPen(QColor(255, 255, 255, 150), 0.5));
    p.drawLine(apex + QPointF(-1 * s, 3 * s), left + QPointF(2 * s, -1 * s));
    // Sealed top seam, string and tag.
    p.setPen(QPen(QColor(190, 170, 130), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(apex + QPointF(-2.5 * s, 1 * s), apex + QPointF(2.5 * s, -1 * s));
}

void teaTag(QPainter &p, const QPointF &from, const QPointF &tagAt, double angle) {
    p.setPen(QPen(QColor(245, 245, 240), 0.7));
    p.setBrush(Qt::NoBrush);
    QPainterPath string;
    string.moveTo(from);
    string.quadTo((from + tagAt) / 2 + QPointF(-4, -3), tagAt);
    p.drawPath(string);
    p.setPen(QPen(QColor(100, 100, 100), 0.25));
    p.drawPath(string);
    p.save();
    p.translate(tagAt);
    p.rotate(angle);
    p.setPen(QPen(QColor(20, 80, 30), 0.5));
    p.setBrush(QColor(46, 140, 70));
    p.drawRect(QRectF(-4, 0, 8, 9));
    leaf(p, QPointF(-2.5, 5.5), 0.42, -40, QColor(220, 240, 200));
    p.restore();
}

void pyramidTea(QPainter &p) {
    tile(p, QColor(214, 226, 180));
    groundShadow(p, QPointF(30, 54), 26, 4);
    pyramid(p, QPointF(22, 20), 1.05, -2);
    pyramid(p, QPointF(40, 28), 0.95, 4);
    teaTag(p, QPointF(22, 19), QPointF(8, 8), 12);
    teaTag(p, QPointF(40, 27), QPointF(53, 8), -10);
}

// ---- the dud: a baby's dummy ---------------------------------------------------------------

void dummy(QPainter &p) {
    tile(p, QColor(200, 216, 236));
    groundShadow(p, QPointF(32, 57), 24, 3.5);
    p.save();
    p.translate(32, 32);
    p.rotate(-35);
    // The teat, pointing up and to the left.
    QPainterPath teat;
    teat.moveTo(-3.5, -4);
    teat.cubicTo(-3.5, -12, -7, -16, -7, -20);
    teat.cubicTo(-7, -27, 7, -27, 7, -20);
    teat.cubicTo(7, -16, 3.5, -12, 3.5, -4);
    teat.closeSubpath();
    p.setPen(QPen(QColor(190, 140, 70), 0.5));
    p.setBrush(horizontal(-7, 7, QColor(255, 226, 170, 230), QColor(226, 170, 96, 230)));
    p.drawPath(teat);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 140));
    p.drawEllipse(QRectF(-4.5, -23, 3, 7));
    // The shield, with two air holes.
    QPainterPath shield;
    shield.moveTo(-16, -2);
    shield.cubicTo(-18, -9, -8, -9, 0, -5);
    shield.cubicTo(8, -9, 18, -9, 16, -2);
    shield.cubicTo(15, 5, 8, 5, 0, 3);
    shield.cubicTo(-8, 5, -15, 5, -16, -2);
    p.setPen(QPen(QColor(40, 90, 170), 0.6));
    p.setBrush(vertical(-8, 5, QColor(140, 196, 255), QColor(60, 130, 220)));
    p.drawPath(shield);
    p.setBrush(QColor(220, 236, 255));
    p.drawEllipse(QPointF(-9.5, -1.5), 1.8, 1.4);
    p.drawEllipse(QPointF(9.5, -1.5), 1.8, 1.4);
    // The button and the ring.
    p.setBrush(vertical(1, 8, QColor(255, 255, 255), QColor(170, 200, 240)));
    p.drawEllipse(QPointF(0, 4.5), 4, 3);
    p.setPen(QPen(QColor(250, 120, 150), 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(0, 16), 9, 9);
    p.setPen(QPen(QColor(255, 200, 215), 0.9));
    p.drawArc(QRectF(-9, 7, 18, 18), 110 * 16, 70 * 16);
    p.restore();
}

// ---- a big country ---------------------------------------------------------------------------

void flag(QPainter &p) {
    tile(p, QColor(196, 216, 240));
    groundShadow(p, QPointF(13, 59), 8, 2);
    // The pole with a gold knob.
    p.setPen(QPen(QColor(90, 70, 50), 0.5));
    p.setBrush(horizontal(9, 13, QColor(170, 150, 130), QColor(100, 80, 60)));
    p.drawRect(QRectF(10, 8, 3, 51));
    QRadialGradient knob(QPointF(10.5, 5.5), 3.5);
    knob.setColorAt(0, QColor(255, 240, 160));
    knob.setColorAt(1, QColor(190, 140, 30));
    p.setBrush(knob);
    p.drawEllipse(QPointF(11.5, 7), 2.8, 2.8);
    // A waving cloth in three bands.
    const double left = 13, right = 60, top = 11, height = 30;
    auto wave = [&](double x) {
        return 3.2 * std::sin((x - left) / (right - left) * 2 * kPi * 1.1) * (x - left) / (right - left);
    };
    const std::array<QColor, 3> bands = {QColor(250, 250, 250), QColor(30, 70, 190), QColor(214, 30, 40)};
    for (int band = 0; band < 3; ++band) {
        QPainterPath stripe;
        const double y0 = top + band * height / 3;
        const double y1 = y0 + height / 3;
        stripe.moveTo(left, y0);
        for (double x = left; x <= right; x += 1) {
            stripe.lineTo(x, y0 + wave(x) + (x - left) * 0.06);
        }
        for (double x = right; x >= left; x -= 1) {
            stripe.lineTo(x, y1 + wave(x) + (x - left) * 0.06);
        }
        stripe.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(bands[band]);
        p.drawPath(stripe);
    }
    // Light and shade of the folds.
    QPainterPath cloth;
    cloth.moveTo(left, top);
    for (double x = left; x <= right; x += 1) {
        cloth.lineTo(x, top + wave(x) + (x - left) * 0.06);
    }
    for (double x = right; x >= left; x -= 1) {
        cloth.lineTo(x, top + height + wave(x) + (x - left) * 0.06);
    }
    cloth.closeSubpath();
    QLinearGradient folds(left, 0, right, 0);
    for (int i = 0; i <= 10; ++i) {
        const double x = left + (right - left) * i / 10.0;
        const double slope = std::cos((x - left) / (right - left) * 2 * kPi * 1.1);
        folds.setColorAt(i / 10.0,
                         slope > 0 ? QColor(255, 255, 255, int(50 * slope)) : QColor(0, 0, 0, int(-60 * slope)));
    }
    p.fillPath(cloth, folds);
    p.setPen(QPen(QColor(80, 80, 90), 0.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cloth);
}

// ---- champagne -----------------------------------------------------------------------------

void champagne(QPainter &p) {
    tile(p, QColor(236, 226, 190));
    groundShadow(p, QPointF(30, 58), 24, 3);
    // A glass behind, on the right, with bubbles.
    const double gx = 48;
    p.setPen(QPen(QColor(150, 150, 160), 0.5));
    p.setBrush(QColor(255, 255, 255, 90));
    QPainterPath glass;
    glass.moveTo(gx - 5, 26);
    glass.lineTo(gx + 5, 26);
    glass.cubicTo(gx + 5, 36, gx + 3, 42, gx, 42);
    glass.cubicTo(gx - 3, 42, gx - 5, 36, gx - 5, 26);
    p.drawPath(glass);
    QPainterPath wine;
    wine.moveTo(gx - 4.6, 30);
    wine.lineTo(gx + 4.6, 30);
    wine.cubicTo(gx + 4.6, 37, gx + 2.8, 41.5, gx, 41.5);
    wine.cubicTo(gx - 2.8, 41.5, gx - 4.6, 37, gx - 4.6, 30);
    p.setBrush(vertical(30, 42, QColor(255, 236, 150), QColor(236, 190, 70)));
    p.setPen(Qt::NoPen);
    p.drawPath(wine);
    p.setBrush(QColor(255, 255, 240));
    for (const QPointF &b :
         {QPointF(gx - 1.5, 38), QPointF(gx + 1.2, 35), QPointF(gx - 0.5, 33), QPointF(gx + 2, 39.5)}) {
        p.drawEllipse(b, 0.6, 0.6);
    }
    p.setPen(QPen(QColor(150, 150, 160), 0.9));
    p.drawLine(QPointF(gx, 42), QPointF(gx, 54));
    p.setBrush(QColor(255, 255, 255, 120));
    p.drawEllipse(QPointF(gx, 54.5), 5, 1.3);
    // The bottle.
    QPainterPath bottle;
    const double cx = 25;
    bottle.moveTo(cx - 3, 5);
    bottle.lineTo(cx + 3, 5);
    bottle.lineTo(cx + 3, 18);
    bottle.cubicTo(cx + 3, 24, cx + 10, 25, cx + 10, 33);
    bottle.lineTo(cx + 10, 56);
    bottle.cubicTo(cx + 10, 57.5, cx - 10, 57.5, cx - 10, 56);
    bottle.lineTo(cx - 10, 33);
    bottle.cubicTo(cx - 10, 25, cx - 3, 24, cx - 3, 18);
    bottle.closeSubpath();
    p.setPen(QPen(QColor(10, 40, 20), 0.6));
    p.setBrush(horizontal(cx - 10, cx + 10, QColor(30, 90, 50), QColor(6, 36, 18)));
    p.drawPath(bottle);
    // Gold foil over the cork and neck.
    QPainterPath foil;
    foil.moveTo(cx - 3.4, 3);
    foil.lineTo(cx + 3.4, 3);
    foil.lineTo(cx + 3.4, 17);
    foil.lineTo(cx + 1, 19);
    foil.lineTo(cx - 1, 17);
    foil.lineTo(cx - 3.4, 19);
    foil.closeSubpath();
    p.setPen(QPen(QColor(130, 96, 20), 0.5));
    p.setBrush(horizontal(cx - 3.4, cx + 3.4, QColor(255, 230, 130), QColor(180, 130, 30)));
    p.drawPath(foil);
    // Label.
    const QRectF label(cx - 8.5, 36, 17, 13);
    p.setBrush(vertical(label.top(), label.bottom(), QColor(255, 250, 232), QColor(232, 222, 196)));
    p.setPen(QPen(QColor(190, 150, 60), 0.6));
    p.drawRect(label);
    p.setBrush(QColor(200, 160, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(cx, 40.5), 2.4, 2.4);
    p.setPen(QPen(QColor(120, 30, 40), 0.8));
    p.drawLine(QPointF(cx - 5.5, 45), QPointF(cx + 5.5, 45));
    p.setPen(QPen(QColor(150, 140, 120), 0.5));
    p.drawLine(QPointF(cx - 4, 47), QPointF(cx + 4, 47));
    // Glass shine.
    p.setPen(QPen(QColor(255, 255, 255, 110), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(cx - 6.5, 30), QPointF(cx - 6.5, 54));
}

// ---- red card --------------------------------------------------------------------------------

void redCard(QPainter &p) {
    tile(p, QColor(236, 206, 200));
    p.save();
    p.translate(30, 31);
    p.rotate(-12);
    const QRectF card(-13, -19, 26, 38);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(card.translated(2.2, 2.2), 2.5, 2.5);
    p.setPen(QPen(QColor(120, 0, 10), 0.6));
    p.setBrush(vertical(card.top(), card.bottom(), QColor(240, 44, 44), QColor(176, 10, 20)));
    p.drawRoundedRect(card, 2.5, 2.5);
    QPainterPath gloss;
    gloss.moveTo(card.left() + 1, card.top() + 1);
    gloss.lineTo(card.right() - 1, card.top() + 1);
    gloss.lineTo(card.left() + 1, card.center().y());
    gloss.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawPath(gloss);
    p.restore();
    // A green badge: one card forgiven.
    const QPointF badge(46, 46);
    p.setPen(QPen(QColor(255, 255, 255), 1.4));
    p.setBrush(vertical(badge.y() - 10, badge.y() + 10, QColor(80, 190, 80), QColor(20, 120, 40)));
    p.drawEllipse(badge, 10, 10);
    text(p, QRectF(badge.x() - 10, badge.y() - 10, 20, 20), QStringLiteral("−1"), 9.5, QColor(255, 255, 255));
}

// ---- team shirt --------------------------------------------------------------------------------

void shirt(QPainter &p) {
    tile(p, QColor(204, 214, 240));
    groundShadow(p, QPointF(32, 58), 22, 2.5);
    QPainterPath body;
    body.moveTo(23, 7);
    body.cubicTo(27, 11, 37, 11, 41, 7);
    body.lineTo(52, 11);
    body.lineTo(60, 24);
    body.lineTo(51, 29);
    body.lineTo(47, 24);
    body.lineTo(47, 56);
    body.lineTo(17, 56);
    body.lineTo(17, 24);
    body.lineTo(13, 29);
    body.lineTo(4, 24);
    body.lineTo(12, 11);
    body.closeSubpath();
    p.setPen(QPen(QColor(10, 30, 90), 0.7));
    p.setBrush(horizontal(4, 60, QColor(60, 110, 230), QColor(20, 50, 150)));
    p.drawPath(body);
    // White stripes at the sleeve ends and the collar.
    p.setPen(QPen(QColor(255, 255, 255), 2));
    p.drawLine(QPointF(51.5, 27.5), QPointF(58.8, 23.2));
    p.drawLine(QPointF(12.5, 27.5), QPointF(5.2, 23.2));
    p.setPen(QPen(QColor(255, 255, 255), 1.6));
    p.setBrush(Qt::NoBrush);
    QPainterPath collar;
    collar.moveTo(23.5, 7.6);
    collar.cubicTo(27, 14, 37, 14, 40.5, 7.6);
    p.drawPath(collar);
    // Number and a star for a free choice.
    text(p, QRectF(17, 22, 30, 24), QStringLiteral("10"), 15, QColor(255, 255, 255));
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double r = i % 2 ? 2.2 : 5.0;
        const double a = -kPi / 2 + i * kPi / 5;
        star << QPointF(32 + r * std::cos(a), 50 + r * std::sin(a));
    }
    p.setPen(QPen(QColor(160, 110, 10), 0.4));
    p.setBrush(QColor(255, 210, 60));
    p.drawPolygon(star);
}

// ---- injury: crossed sticking plasters ------------------------------------------------------

void plaster(QPainter &p, double angle) {
    p.save();
    p.translate(32, 32);
    p.rotate(angle);
    const QRectF strip(-26, -7, 52, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawRoundedRect(strip.translated(1.2, 1.6), 7, 7);
    p.setPen(QPen(QColor(170, 120, 80), 0.6));
    p.setBrush(vertical(strip.top(), strip.bottom(), QColor(244, 204, 160), QColor(220, 170, 120)));
    p.drawRoundedRect(strip, 7, 7);
    // Breathing holes.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(190, 140, 96));
    for (int side : {-1, 1}) {
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 2; ++j) {
                p.drawEllipse(QPointF(side * (14 + i * 3.6), -2 + j * 4), 0.7, 0.7);
            }
        }
    }
    // The pad.
    const QRectF pad(-8, -5, 16, 10);
    p.setPen(QPen(QColor(200, 190, 180), 0.5));
    p.setBrush(vertical(pad.top(), pad.bottom(), QColor(255, 255, 255), QColor(226, 220, 214)));
    p.drawRoundedRect(pad, 1.5, 1.5);
    p.restore();
}

void injury(QPainter &p) {
    tile(p, QColor(236, 214, 214));
    plaster(p, 40);
    plaster(p, -40);
    // A small red cross on the top pad.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 30, 40));
    p.drawRect(QRectF(30.3, 27.5, 3.4, 9));
    p.drawRect(QRectF(27.5, 30.3, 9, 3.4));
}

// ---- files -----------------------------------------------------------------------------------

struct Picture {
    const char *file;
    std::function<void(QPainter &)> draw;
};

QImage render(const std::function<void(QPainter &)> &draw) {
    QImage big(kSize * kScale, kSize * kScale, QImage::Format_RGB32);
    big.fill(Qt::white);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(kScale, kScale);
        draw(p);
    }
    return big.scaled(kSize, kSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB888);
}

} // namespace

int main(int argc, char *argv[]) {
    QGuiApplication application(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: gift_pictures OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        err << "cannot create " << out.path() << "\n";
        return 1;
    }
    const std::vector<Picture> pictures = {
        {"ball.bmp", ball},
        {"big_shok.bmp", [](QPainter &p) { chocolate(p, 1.0); }},
        {"mid_shok.bmp", [](QPainter &p) { chocolate(p, 0.8); }},
        {"sm_shok.bmp", [](QPainter &p) { chocolate(p, 0.6); }},
        {"big_tea.bmp", [](QPainter &p) { teaBox(p, 1.0); }},
        {"mid_tea.bmp", [](QPainter &p) { teaBox(p, 0.8); }},
        {"sm_tea.bmp", [](QPainter &p) { teaBox(p, 0.62); }},
        {"beer.bmp", parcel},
        {"money.bmp", money},
        {"new_shok.bmp", pralines},
        {"new_tea.bmp", pyramidTea},
        {"okay.bmp", dummy},
        {"russia.bmp", flag},
        {"shamp.bmp", champagne},
        {"redcard.bmp", redCard},
        {"team.bmp", shirt},
        {"travma.bmp", injury},
    };
    for (const Picture &picture : pictures) {
        const QString path = out.filePath(QString::fromLatin1(picture.file));
        if (!render(picture.draw).save(path, "BMP")) {
            err << "cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}
