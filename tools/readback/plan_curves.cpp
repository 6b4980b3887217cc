#include "tools/readback/plan_curves.h"

namespace scenario::tool {

std::string CurveKeyword(const Curve& curve) {
  return std::string("curva") + (curve.left ? "s" : "d") + std::to_string(curve.classe);
}

std::vector<Curve> CurvesOf(const std::vector<PuntoTracciato>& plan) {
  std::vector<Curve> curves;
  int current = 0;  // 0 straight, +class right, -class left
  int64_t run_start = 0;
  auto close_run = [&](int64_t end_point) {
    if (current == 0) return;
    curves.push_back({run_start - 1, end_point - run_start + 1, current > 0 ? current : -current, current < 0});
  };
  for (size_t j = 2; j < plan.size() && plan[j][0].type == ValueType::Double; ++j) {
    const double x1 = plan[j - 1][0].AsReal(), y1 = plan[j - 1][1].AsReal();
    const double dx = x1 - plan[j - 2][0].AsReal();
    const double dy = y1 - plan[j - 2][1].AsReal();
    const double x = plan[j][0].real, y = plan[j][1].real;
    int turn = 0;
    if (!(x1 + dx == x && y1 + dy == y)) {
      for (int classe = 1; classe <= 6 && turn == 0; ++classe) {
        for (int side : {1, -1}) {
          const double c = side * kCurvature[static_cast<size_t>(classe - 1)];
          if (x1 + (dx + c * dy) == x && y1 + (dy - c * dx) == y) {
            turn = side * classe;
            break;
          }
        }
      }
    }
    if (turn != current) {
      close_run(static_cast<int64_t>(j) - 1);
      current = turn;
      run_start = static_cast<int64_t>(j);
    }
  }
  // The run still open ends at the last computed point.
  size_t last = 1;
  while (last + 1 < plan.size() && plan[last + 1][0].type == ValueType::Double) ++last;
  close_run(static_cast<int64_t>(last));
  return curves;
}

}  // namespace scenario::tool
