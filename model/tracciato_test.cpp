#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "model/scenario_model.h"

namespace scenario {
namespace {

Tracciato Computed(size_t points, size_t computed) {
  Tracciato plan;
  plan.Alloca(points);
  plan.seme(0) = {TaggedValue::Integer(0), TaggedValue::Integer(0)};
  plan.seme(1) = {TaggedValue::Integer(0), TaggedValue::Integer(1)};
  for (size_t x = 2; x < 2 + computed; ++x) plan.Poni(x, 0.5 * x, -1.0 * x);
  return plan;
}

TEST(Tracciato, PointsAreSeedsThenComputedThenEmpty) {
  const Tracciato plan = Computed(10, 5);
  EXPECT_EQ(plan.size(), 10u);
  EXPECT_EQ(plan.calcolati(), 5u);
  EXPECT_EQ(plan[1][1], TaggedValue::Integer(1));
  EXPECT_EQ(plan[6][0], TaggedValue::Double(3.0));
  EXPECT_EQ(plan[7][0], TaggedValue{});
  EXPECT_EQ(plan.Reale(6, 1), -6.0);
  EXPECT_EQ(plan.Reale(9, 1), 0.0);
}

TEST(Tracciato, PoniStoresOnlyWithoutLeavingAGap) {
  Tracciato plan = Computed(10, 3);
  plan.Poni(3, 7.0, 8.0);  // a point computed before
  EXPECT_EQ(plan.calcolati(), 3u);
  EXPECT_EQ(plan.Reale(3, 0), 7.0);
  plan.Poni(5, 1.0, 2.0);  // the one right after them
  EXPECT_EQ(plan.calcolati(), 4u);
  for (size_t x : {0u, 1u, 7u, 10u, 11u}) {
    SCOPED_TRACE(x);
    EXPECT_THROW(plan.Poni(x, 0.0, 0.0), std::out_of_range);
  }
  EXPECT_EQ(plan.calcolati(), 4u);
}

TEST(Tracciato, AllocatedAgainEveryPointIsEmptyInTheSameMemory) {
  Tracciato plan = Computed(1000, 998);
  const double* memory = plan.colonna_0().data();
  plan.Alloca(500);
  EXPECT_EQ(plan.size(), 500u);
  EXPECT_EQ(plan.calcolati(), 0u);
  EXPECT_EQ(plan[0][0], TaggedValue{});
  EXPECT_EQ(plan[300][1], TaggedValue{});
  plan.Poni(2, 1.0, 1.0);
  EXPECT_EQ(plan.colonna_0().data(), memory);
  plan.Libera();
  EXPECT_TRUE(plan.empty());
  plan.Alloca(1000);
  EXPECT_EQ(plan.calcolati(), 0u);
  EXPECT_EQ(plan[2][0], TaggedValue{});
}

TEST(Tracciato, ACopyIsEqualAndGoesItsOwnWay) {
  const Tracciato original = Computed(50, 20);
  Tracciato copy = original;
  EXPECT_TRUE(copy == original);
  copy.Poni(22, 1.0, 2.0);
  EXPECT_FALSE(copy == original);
  EXPECT_EQ(original.calcolati(), 20u);
  copy = original;
  EXPECT_TRUE(copy == original);
  // A copy has room for every point of its plan.
  for (size_t x = 22; x < 50; ++x) copy.Poni(x, 1.0, 2.0);
  EXPECT_EQ(copy.calcolati(), 48u);
  EXPECT_EQ(original.calcolati(), 20u);
}

TEST(Tracciato, MovedFromHasNoPoints) {
  Tracciato from = Computed(50, 20);
  Tracciato to = std::move(from);
  EXPECT_EQ(to.calcolati(), 20u);
  EXPECT_EQ(to.Reale(21, 0), 10.5);
  EXPECT_TRUE(from.empty());  // NOLINT(bugprone-use-after-move): its state after a move is defined
  EXPECT_EQ(from.calcolati(), 0u);
}

}  // namespace
}  // namespace scenario
