#include "presentation/DrawOrder.h"

#include <algorithm>
#include <limits>
#include <queue>

namespace quarnix {

namespace {

// Eye distances closer than this share can meet in the depth buffer.
constexpr float DepthMargin = 1e-3f;
// Closer to the eye than this, a corner's projection says nothing.
constexpr float NearestW = 1e-3f;

}  // namespace

ScreenExtent ExtentOf(std::span<const D3DVERTEX> vertices, const D3DMATRIX& world, const D3DMATRIX& m,
                      int width, int height) {
  if (vertices.empty()) return {};
  float lo[3] = {vertices[0].x, vertices[0].y, vertices[0].z}, hi[3] = {lo[0], lo[1], lo[2]};
  for (const D3DVERTEX& v : vertices) {
    const float p[3] = {v.x, v.y, v.z};
    for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], p[a]), hi[a] = std::max(hi[a], p[a]);
  }
  ScreenExtent e;
  e.Left = e.Top = e.Near = e.Low.x = e.Low.y = e.Low.z = std::numeric_limits<float>::max();
  e.Right = e.Bottom = e.Far = e.High.x = e.High.y = e.High.z = std::numeric_limits<float>::lowest();
  bool seen = true;
  for (int corner = 0; corner < 8; ++corner) {
    const float x = corner & 1 ? hi[0] : lo[0], y = corner & 2 ? hi[1] : lo[1],
                z = corner & 4 ? hi[2] : lo[2];
    const auto put = [&](const D3DMATRIX& t, int col) {
      return x * t(0, col) + y * t(1, col) + z * t(2, col) + t(3, col);
    };
    const float wx = put(world, 0), wy = put(world, 1), wz = put(world, 2);
    e.Low = {std::min(e.Low.x, wx), std::min(e.Low.y, wy), std::min(e.Low.z, wz)};
    e.High = {std::max(e.High.x, wx), std::max(e.High.y, wy), std::max(e.High.z, wz)};
    const auto at = [&](int col) { return wx * m(0, col) + wy * m(1, col) + wz * m(2, col) + m(3, col); };
    const float w = at(3);
    if (!(w > NearestW)) {
      seen = false;
      continue;
    }
    const float sx = (at(0) / w + 1) * 0.5f * static_cast<float>(width);
    const float sy = (1 - at(1) / w) * 0.5f * static_cast<float>(height);
    e.Left = std::min(e.Left, sx), e.Right = std::max(e.Right, sx);
    e.Top = std::min(e.Top, sy), e.Bottom = std::max(e.Bottom, sy);
    e.Near = std::min(e.Near, w), e.Far = std::max(e.Far, w);
  }
  e.Left -= 1, e.Top -= 1, e.Right += 1, e.Bottom += 1;
  e.Anywhere = !seen;
  return e;
}

bool OpaqueMayPass(const ScreenExtent& o, const ScreenExtent& s, const D3DVECTOR& eye) {
  // A plane between the two boxes with the eye on the opaque one's side: every
  // sight line meets the opaque draw first (they can meet on the plane only
  // where the opaque draw shows its back, which it does not draw).
  const float ol[3] = {o.Low.x, o.Low.y, o.Low.z}, oh[3] = {o.High.x, o.High.y, o.High.z};
  const float sl[3] = {s.Low.x, s.Low.y, s.Low.z}, sh[3] = {s.High.x, s.High.y, s.High.z};
  const float e[3] = {eye.x, eye.y, eye.z};
  for (int a = 0; a < 3; ++a)
    if ((oh[a] <= sl[a] && e[a] < oh[a]) || (sh[a] <= ol[a] && e[a] > ol[a])) return true;
  if (o.Anywhere || s.Anywhere) return false;
  const bool apart = o.Right < s.Left || s.Right < o.Left || o.Bottom < s.Top || s.Bottom < o.Top;
  return apart || o.Far < s.Near * (1 - DepthMargin);
}

namespace {

// Boxes that overlap or touch: faces of the two may meet on the same pixels.
bool MayMeet(const ScreenExtent& a, const ScreenExtent& b) {
  if (a.Anywhere || b.Anywhere) return true;
  constexpr float Hair = 1e-4f;
  return a.Low.x <= b.High.x + Hair && b.Low.x <= a.High.x + Hair && a.Low.y <= b.High.y + Hair &&
         b.Low.y <= a.High.y + Hair && a.Low.z <= b.High.z + Hair && b.Low.z <= a.High.z + Hair;
}

}  // namespace

std::vector<std::size_t> ReferenceOrder(std::span<const OrderedDraw> draws) {
  std::vector<std::size_t> order, run;
  const auto flush = [&] {
    std::stable_sort(run.begin(), run.end(),
                     [&](std::size_t a, std::size_t b) { return draws[a].Depth < draws[b].Depth; });
    order.insert(order.end(), run.begin(), run.end());
    run.clear();
  };
  for (std::size_t i = 0; i < draws.size(); ++i) {
    if (!draws[i].SeeThrough) {
      run.push_back(i);
      continue;
    }
    flush();
    order.push_back(i);
  }
  flush();
  return order;
}

std::vector<std::size_t> DrawOrder(std::span<const OrderedDraw> draws, const D3DVECTOR& eye) {
  const std::size_t n = draws.size();
  // Slot k lies after the k-th see-through draw; an opaque draw goes to the
  // earliest slot it may reach by passing see-through draws backwards.
  std::vector<std::size_t> seeThrough, slot(n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    if (draws[i].SeeThrough) {
      seeThrough.push_back(i);
      continue;
    }
    std::size_t k = seeThrough.size();
    while (k > 0 && OpaqueMayPass(draws[i].Extent, draws[seeThrough[k - 1]].Extent, eye)) --k;
    slot[i] = k;
  }
  // Opaque draws that touch keep their reference order: where their faces
  // meet at equal depth the later one shows.
  const std::vector<std::size_t> previous = ReferenceOrder(draws);
  std::vector<std::size_t> rank(n);
  for (std::size_t r = 0; r < n; ++r) rank[previous[r]] = r;
  std::vector<std::vector<std::size_t>> after(n);  // touching opaque draws that follow
  std::vector<int> before(n, 0);
  for (std::size_t r = 0; r < n; ++r) {
    const std::size_t i = previous[r];
    if (draws[i].SeeThrough) continue;
    for (std::size_t q = 0; q < r; ++q) {
      const std::size_t j = previous[q];
      if (draws[j].SeeThrough || !MayMeet(draws[i].Extent, draws[j].Extent)) continue;
      slot[i] = std::max(slot[i], slot[j]);
      if (slot[i] == slot[j]) after[j].push_back(i), ++before[i];
    }
  }
  // Each slot: nearest first within a group, touching draws in their order.
  std::vector<std::vector<std::size_t>> slots(seeThrough.size() + 1);
  for (std::size_t i = 0; i < n; ++i)
    if (!draws[i].SeeThrough) slots[slot[i]].push_back(i);
  const auto later = [&](std::size_t a, std::size_t b) {
    if (draws[a].Group != draws[b].Group) return draws[a].Group > draws[b].Group;
    return draws[a].Depth != draws[b].Depth ? draws[a].Depth > draws[b].Depth : a > b;
  };
  std::vector<std::size_t> order;
  order.reserve(n);
  for (std::size_t k = 0; k < slots.size(); ++k) {
    std::priority_queue<std::size_t, std::vector<std::size_t>, decltype(later)> ready(later);
    for (std::size_t i : slots[k])
      if (before[i] == 0) ready.push(i);
    while (!ready.empty()) {
      const std::size_t i = ready.top();
      ready.pop();
      order.push_back(i);
      for (std::size_t j : after[i])
        if (--before[j] == 0) ready.push(j);
    }
    if (k < seeThrough.size()) order.push_back(seeThrough[k]);
  }
  return order;
}

}  // namespace quarnix
