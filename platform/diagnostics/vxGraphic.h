// Display graphics: coloured shapes drawn over a diagnostic image.
//
// A graphic is one shape with a colour and a pen width (in display pixels, 1 to
// vx_GraphicStyle::kMaxPenWidth); rectangles and polygons may also be filled. The set
// of graphics is closed, held by the variant vxGraphic:
//   vxGraphicLineSeg     a line segment (vxLineSeg);
//   vxGraphicRect        an axis-parallel rectangle (vxRect), outlined or filled;
//   vxGraphicAffineRect  a parallelogram (vxAffineRectangle), outlined or filled;
//   vxGraphicPolygon     a closed polygon (vxPolygon), outlined or filled by its fill mode;
//   vxGraphicEllipseArc  an arc of an ellipse (vxEllipseArc2), outlined only;
//   vxGraphicPointIcon   a point marked by a small icon (plus, cross, circle, ...).
// The two families are the templates vxGraphicShape<Shape> (outline only) and
// vxGraphicWithFill<Shape, Kind>, where Kind is a tag naming how the shape is drawn:
// vxGenRect for rectangles (four corners) and vxGenPolygon for vertex lists.
//
// Every graphic maps through a vxXform<2> (vfMapGraphic) so that graphics given in one
// coordinate system can be drawn in another. Pen widths and icon sizes are display
// sizes and do not scale.
#pragma once

#include "vxAffineRectangle.h"
#include "vxColor.h"
#include "vxRect.h"
#include "vxShapes.h"
#include "vxVector.h"
#include "vxXform.h"

#include <string>
#include <type_traits>
#include <variant>

// Kind tags of vxGraphicWithFill.
struct vxGenRect {};
struct vxGenPolygon {};

// Colour and pen width, shared by every graphic.
class vx_GraphicStyle {
public:
    static constexpr int kMaxPenWidth = 64;

    vxColor color() const { return color_; }
    void color(vxColor c) { color_ = c; }
    int penWidth() const { return penWidth_; }
    // Throws vxDiagDefs::BadArgument (changing nothing) outside 1 .. kMaxPenWidth.
    void penWidth(int width) { penWidth_ = checkedPenWidth_(width); }

    friend bool operator==(const vx_GraphicStyle&, const vx_GraphicStyle&) = default;

protected:
    vx_GraphicStyle(vxColor color, int penWidth)
        : color_(color), penWidth_(checkedPenWidth_(penWidth)) {}

private:
    static int checkedPenWidth_(int width);
    vxColor color_;
    int penWidth_ = 1;
};

// An outlined shape: vxLineSeg or vxEllipseArc2.
template <class Shape> class vxGraphicShape : public vx_GraphicStyle {
    static_assert(std::is_same_v<Shape, vxLineSeg> || std::is_same_v<Shape, vxEllipseArc2>,
                  "vxGraphicShape draws line segments and ellipse arcs");

public:
    // Throws vxDiagDefs::BadArgument for a pen width outside 1 .. kMaxPenWidth.
    vxGraphicShape(const Shape& shape, vxColor color, int penWidth = 1)
        : vx_GraphicStyle(color, penWidth), shape_(shape) {}

    const Shape& shape() const { return shape_; }
    void shape(const Shape& s) { shape_ = s; }

    friend bool operator==(const vxGraphicShape& a, const vxGraphicShape& b) {
        return static_cast<const vx_GraphicStyle&>(a) == b && a.shape_ == b.shape_;
    }

private:
    Shape shape_;
};

// A closed shape drawn as an outline or filled: vxRect or vxAffineRectangle with kind
// vxGenRect, vxPolygon with kind vxGenPolygon.
template <class Shape, class Kind> class vxGraphicWithFill : public vx_GraphicStyle {
    static_assert((std::is_same_v<Kind, vxGenRect> &&
                   (std::is_same_v<Shape, vxRect> || std::is_same_v<Shape, vxAffineRectangle>)) ||
                      (std::is_same_v<Kind, vxGenPolygon> && std::is_same_v<Shape, vxPolygon>),
                  "vxGraphicWithFill draws rectangles (vxGenRect) and polygons (vxGenPolygon)");

public:
    // Throws vxDiagDefs::BadArgument for a pen width outside 1 .. kMaxPenWidth. The pen
    // width of a filled shape is kept but not used.
    vxGraphicWithFill(const Shape& shape, vxColor color, int penWidth = 1, bool filled = false)
        : vx_GraphicStyle(color, penWidth), shape_(shape), filled_(filled) {}
    // Refused so that a fill flag is never taken for a pen width.
    vxGraphicWithFill(const Shape&, vxColor, bool) = delete;

    const Shape& shape() const { return shape_; }
    void shape(const Shape& s) { shape_ = s; }
    bool filled() const { return filled_; }
    void filled(bool f) { filled_ = f; }

    friend bool operator==(const vxGraphicWithFill& a, const vxGraphicWithFill& b) {
        return static_cast<const vx_GraphicStyle&>(a) == b && a.shape_ == b.shape_ &&
               a.filled_ == b.filled_;
    }

private:
    Shape shape_;
    bool filled_ = false;
};

// A point marked by an icon `size` display pixels from its centre to its edge.
class vxGraphicPointIcon : public vx_GraphicStyle {
public:
    enum Icon { ePlus = 0, eCross = 1, eCircle = 2, eSquare = 3, eDiamond = 4 };
    static constexpr int kMaxSize = 256;

    // Throws vxDiagDefs::BadArgument for an unknown icon, a size outside 0 .. kMaxSize
    // or a pen width outside 1 .. kMaxPenWidth.
    vxGraphicPointIcon(const vxVector<2>& point, vxColor color, Icon icon = ePlus, int size = 3,
                       int penWidth = 1);

    const vxVector<2>& point() const { return point_; }
    void point(const vxVector<2>& p) { point_ = p; }
    Icon icon() const { return icon_; }
    int size() const { return size_; }

    friend bool operator==(const vxGraphicPointIcon& a, const vxGraphicPointIcon& b) {
        return static_cast<const vx_GraphicStyle&>(a) == b && a.point_ == b.point_ &&
               a.icon_ == b.icon_ && a.size_ == b.size_;
    }

private:
    vxVector<2> point_;
    Icon icon_ = ePlus;
    int size_ = 3;
};

using vxGraphicLineSeg = vxGraphicShape<vxLineSeg>;
using vxGraphicEllipseArc = vxGraphicShape<vxEllipseArc2>;
using vxGraphicRect = vxGraphicWithFill<vxRect, vxGenRect>;
using vxGraphicAffineRect = vxGraphicWithFill<vxAffineRectangle, vxGenRect>;
using vxGraphicPolygon = vxGraphicWithFill<vxPolygon, vxGenPolygon>;

using vxGraphic = std::variant<vxGraphicLineSeg, vxGraphicRect, vxGraphicAffineRect,
                               vxGraphicPolygon, vxGraphicEllipseArc, vxGraphicPointIcon>;

// The graphic with its shape mapped by x; colour, pen width, fill and icon are kept.
// A rectangle stays a vxGraphicRect when x keeps the axes parallel (a matrix without
// off-diagonal elements; a flip keeps the rectangle's sign of width and height) and
// becomes a vxGraphicAffineRect otherwise. An ellipse arc maps to the arc through the
// mapped points, its parameter running the same way or (under a flip) the other way,
// so that mapping the arc's points gives the mapped arc's points.
vxGraphic vfMapGraphic(const vxGraphic& graphic, const vxXform<2>& x);

// One line of text naming the graphic, its geometry (3 decimals), colour, pen width
// and fill, e.g. "rect (1.000, 2.000, 4.000, 3.000) green pen 1 outline".
std::wstring vfDescribeGraphic(const vxGraphic& graphic);
