// A small writer of SVG pictures: shapes and texts appended in drawing
// order, every text and attribute value escaped for XML.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scenario::tool {

struct Point2 {
  double x = 0;
  double y = 0;
};

// Presentation attributes of a shape: any may be left empty.
struct Style {
  std::string css_class;   // class="..."
  std::string stroke;
  double stroke_width = 0;  // 0: not written
  std::string fill;
  std::string dash;         // stroke-dasharray
  std::string title;        // a <title> child: the text shown on hovering
};

enum class Anchor { Start, Middle, End };

struct TextStyle {
  std::string css_class;
  double size = 12;
  Anchor anchor = Anchor::Start;
  bool bold = false;
  std::string fill = "#222";
  double rotate = 0;  // degrees, about the text's own point
  std::string title;
};

class SvgDocument {
 public:
  SvgDocument(double width, double height);

  void Line(Point2 from, Point2 to, const Style& style);
  void Rect(double x, double y, double width, double height, const Style& style);
  void Circle(Point2 centre, double radius, const Style& style);
  void Polyline(const std::vector<Point2>& points, const Style& style);
  void Polygon(const std::vector<Point2>& points, const Style& style);
  // `text` is a byte string of the 8-bit code page (see text_encoding.h).
  void Text(Point2 at, std::string_view text, const TextStyle& style);
  void BeginGroup(const std::string& css_class);
  void EndGroup();
  // The picture's height, once everything in it has found its place.
  void SetHeight(double height) { height_ = height; }

  // The whole document, an XML declaration first.
  std::string Finish() const;

 private:
  void Shape(const std::string& element, const std::string& geometry, const Style& style);

  double width_;
  double height_;
  std::string body_;
};

// A coordinate as written into the picture: one decimal.
std::string Coordinate(double value);

}  // namespace scenario::tool
