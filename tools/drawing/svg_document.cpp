#include "tools/drawing/svg_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "encoding/text_encoding.h"

namespace scenario::tool {

std::string Coordinate(double value) {
  if (!std::isfinite(value)) value = 0;
  char text[40];
  std::snprintf(text, sizeof text, "%.1f", value);
  std::string result = text;
  if (result == "-0.0") result = "0.0";
  return result;
}

namespace {

std::string Attribute(const char* name, const std::string& value) {
  return std::string(" ") + name + "=\"" + XmlText(value) + "\"";
}

std::string StyleAttributes(const Style& style) {
  std::string attributes;
  if (!style.css_class.empty()) attributes += Attribute("class", style.css_class);
  attributes += Attribute("stroke", style.stroke.empty() ? "none" : style.stroke);
  if (style.stroke_width > 0) attributes += Attribute("stroke-width", Coordinate(style.stroke_width));
  attributes += Attribute("fill", style.fill.empty() ? "none" : style.fill);
  if (!style.dash.empty()) attributes += Attribute("stroke-dasharray", style.dash);
  return attributes;
}

std::string Points(const std::vector<Point2>& points) {
  std::string text;
  for (const Point2& p : points) {
    if (!text.empty()) text += ' ';
    text += Coordinate(p.x) + "," + Coordinate(p.y);
  }
  return text;
}

std::string TitleElement(const std::string& title) {
  return title.empty() ? "" : "<title>" + XmlText(title) + "</title>";
}

}  // namespace

SvgDocument::SvgDocument(double width, double height) : width_(width), height_(height) {}

void SvgDocument::Shape(const std::string& element, const std::string& geometry, const Style& style) {
  body_ += "<" + element + geometry + StyleAttributes(style);
  if (style.title.empty()) {
    body_ += "/>\n";
  } else {
    body_ += ">" + TitleElement(style.title) + "</" + element + ">\n";
  }
}

void SvgDocument::Line(Point2 from, Point2 to, const Style& style) {
  Shape("line",
        Attribute("x1", Coordinate(from.x)) + Attribute("y1", Coordinate(from.y)) +
            Attribute("x2", Coordinate(to.x)) + Attribute("y2", Coordinate(to.y)),
        style);
}

void SvgDocument::Rect(double x, double y, double width, double height, const Style& style) {
  Shape("rect",
        Attribute("x", Coordinate(x)) + Attribute("y", Coordinate(y)) +
            Attribute("width", Coordinate(std::max(width, 0.0))) +
            Attribute("height", Coordinate(std::max(height, 0.0))),
        style);
}

void SvgDocument::Circle(Point2 centre, double radius, const Style& style) {
  Shape("circle",
        Attribute("cx", Coordinate(centre.x)) + Attribute("cy", Coordinate(centre.y)) +
            Attribute("r", Coordinate(radius)),
        style);
}

void SvgDocument::Polyline(const std::vector<Point2>& points, const Style& style) {
  if (points.size() < 2) return;
  Shape("polyline", Attribute("points", Points(points)), style);
}

void SvgDocument::Polygon(const std::vector<Point2>& points, const Style& style) {
  Shape("polygon", Attribute("points", Points(points)), style);
}

void SvgDocument::Text(Point2 at, std::string_view text, const TextStyle& style) {
  std::string attributes = Attribute("x", Coordinate(at.x)) + Attribute("y", Coordinate(at.y));
  if (!style.css_class.empty()) attributes += Attribute("class", style.css_class);
  attributes += Attribute("font-size", Coordinate(style.size));
  if (style.bold) attributes += Attribute("font-weight", "bold");
  attributes += Attribute("fill", style.fill);
  if (style.anchor == Anchor::Middle) attributes += Attribute("text-anchor", "middle");
  if (style.anchor == Anchor::End) attributes += Attribute("text-anchor", "end");
  if (style.rotate != 0)
    attributes += Attribute("transform", "rotate(" + Coordinate(style.rotate) + " " + Coordinate(at.x) +
                                             " " + Coordinate(at.y) + ")");
  body_ += "<text" + attributes + ">" + TitleElement(style.title) + XmlText(text) + "</text>\n";
}

void SvgDocument::BeginGroup(const std::string& css_class) {
  body_ += "<g" + Attribute("class", css_class) + ">\n";
}

void SvgDocument::EndGroup() { body_ += "</g>\n"; }

std::string SvgDocument::Finish() const {
  std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  document += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"" +
              Attribute("width", Coordinate(width_)) + Attribute("height", Coordinate(height_)) +
              Attribute("viewBox", "0 0 " + Coordinate(width_) + " " + Coordinate(height_)) +
              " font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\">\n";
  document += "<rect x=\"0\" y=\"0\" width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  document += body_;
  document += "</svg>\n";
  return document;
}

}  // namespace scenario::tool
