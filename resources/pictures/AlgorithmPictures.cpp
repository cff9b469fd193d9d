// Algorithm diagrams, laid out from the engine's routing table.
//
// Each operator is a square in its colour with its letter. Carriers stand on the bottom row and
// drop onto the output line; every modulator stands one row above the highest operator it
// modulates, centred over its targets, and its output runs down, across and into the top of
// each target. Operator D's feedback, present in every algorithm, is a hook from its right side
// back into its top. Squares are 11 pixels with centres on half pixels, so the 1-pixel lines
// through them are crisp.

#include "instrument/dsp/GlobalParams.h"
#include "resources/pictures/Pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace pelmora::pictures
{

static_assert(kNumAlgorithms == ::kNumAlgorithms);

namespace
{

constexpr float kBox = 11.f;
constexpr float kHalf = kBox / 2.f;
constexpr float kRowGap = 5.f;    // between a modulator and its target
constexpr float kColumnGap = 5.f; // an even pitch keeps every centre on a whole pixel
constexpr float kPitch = kBox + kColumnGap;
constexpr float kHook = 3.f;   // reach of the feedback hook beyond the square
constexpr float kBusGap = 4.f; // from a carrier's bottom to the output line
constexpr float kLetterSize = 10.f;
constexpr float kLineOpacity = 0.75f;

struct Node
{
  float cx = 0.f; // centre x; its top-left corner lies on whole pixels once placed
  int level = 0;  // 0 for carriers, else one above the highest target
  float top = 0.f;
};

bool Routes(const AlgorithmRouting& routing, int source, int destination)
{
  return (routing.mPaths & RoutingPath(source, destination)) != 0;
}

int LevelOf(const AlgorithmRouting& routing, int op, int depth = 0)
{
  int level = 0;
  for (int target = 0; target < kNumOperators && depth < kNumOperators; ++target)
    if (target != op && Routes(routing, op, target))
      level = std::max(level, 1 + LevelOf(routing, target, depth + 1));
  return level;
}

// Places the operators of one row at their wished centres, pushing neighbours that would
// overlap apart around the mean of their wishes.
void PlaceRow(std::vector<int> ops, std::array<Node, kNumOperators>& nodes,
              const std::array<float, kNumOperators>& wish)
{
  std::stable_sort(ops.begin(), ops.end(), [&](int a, int b) { return wish[a] < wish[b]; });
  std::vector<std::vector<int>> clusters;
  for (int op : ops)
    clusters.push_back({op});
  const auto centre = [&](const std::vector<int>& c)
  {
    float sum = 0.f;
    for (int op : c)
      sum += wish[op];
    return sum / static_cast<float>(c.size());
  };
  for (bool merged = true; merged;)
  {
    merged = false;
    for (size_t i = 0; i + 1 < clusters.size(); ++i)
    {
      const float leftEnd = centre(clusters[i]) + 0.5f * kPitch * (clusters[i].size() - 1);
      const float rightStart =
        centre(clusters[i + 1]) - 0.5f * kPitch * (clusters[i + 1].size() - 1);
      if (rightStart - leftEnd < kPitch)
      {
        clusters[i].insert(clusters[i].end(), clusters[i + 1].begin(), clusters[i + 1].end());
        clusters.erase(clusters.begin() + static_cast<long>(i) + 1);
        merged = true;
        break;
      }
    }
  }
  for (const std::vector<int>& c : clusters)
  {
    const float start = centre(c) - 0.5f * kPitch * (c.size() - 1);
    for (size_t k = 0; k < c.size(); ++k)
      nodes[c[k]].cx = start + kPitch * k;
  }
}

} // namespace

std::string DrawAlgorithmPicture(const EditorPicture& picture, const GlyphOutlines& font)
{
  const AlgorithmRouting& routing = GlobalParams::Routing(picture.mIndex);
  std::array<Node, kNumOperators> nodes{};
  int topLevel = 0;
  for (int op = 0; op < kNumOperators; ++op)
  {
    nodes[op].level = LevelOf(routing, op);
    topLevel = std::max(topLevel, nodes[op].level);
  }

  // Rows from the carriers up: carriers in operator order, modulators over their targets.
  std::array<float, kNumOperators> wish{};
  for (int level = 0; level <= topLevel; ++level)
  {
    std::vector<int> row;
    for (int op = 0; op < kNumOperators; ++op)
    {
      if (nodes[op].level != level)
        continue;
      row.push_back(op);
      if (level == 0)
      {
        wish[op] = kPitch * static_cast<float>(row.size() - 1);
        continue;
      }
      float sum = 0.f;
      int count = 0;
      for (int target = 0; target < kNumOperators; ++target)
        if (target != op && Routes(routing, op, target))
        {
          sum += nodes[target].cx;
          ++count;
        }
      wish[op] = sum / static_cast<float>(std::max(count, 1));
    }
    PlaceRow(row, nodes, wish);
  }

  // Centre the drawing (squares, D's hook, the output line) in the picture, squares on whole
  // pixels.
  const float rowPitch = kBox + kRowGap;
  float left = 1e9f, right = -1e9f;
  for (int op = 0; op < kNumOperators; ++op)
  {
    nodes[op].cx = std::round(nodes[op].cx);
    left = std::min(left, nodes[op].cx - kHalf);
    right = std::max(right, nodes[op].cx + kHalf + (op == kOpD ? kHook : 0.f));
  }
  // Whole-pixel centres move onto half pixels: square edges land on whole pixels.
  const float dx =
    std::round(0.5f * (kAlgorithmPictureWidth - (right - left)) - left - 0.5f) + 0.5f;
  const float height = static_cast<float>(topLevel) * rowPitch + kBox + kHook + kBusGap + 1.f;
  const float carrierTop =
    std::round(0.5f * (kAlgorithmPictureHeight - height)) + kHook + topLevel * rowPitch;
  for (Node& node : nodes)
  {
    node.cx += dx;
    node.top = carrierTop - static_cast<float>(node.level) * rowPitch;
  }

  SvgDocument doc(kAlgorithmPictureWidth, kAlgorithmPictureHeight);
  const SvgStyle line = Stroke(theme::ColorLabelForeground, 1.f, false, kLineOpacity);

  // Modulation paths: down from the source, across, down into the target.
  for (int source = 0; source < kNumOperators; ++source)
    for (int target = 0; target < kNumOperators; ++target)
    {
      if (source == target || !Routes(routing, source, target))
        continue;
      const Node& s = nodes[source];
      const Node& t = nodes[target];
      const float across = s.top + kBox + 2.5f;
      doc.Path(PathData().M(s.cx, s.top + kBox).V(across).H(t.cx).V(t.top), line);
    }

  // Output line under the carriers.
  float busLeft = 1e9f, busRight = -1e9f;
  for (int op = 0; op < kNumOperators; ++op)
  {
    if ((routing.mCarriers & (1u << op)) == 0)
      continue;
    const Node& c = nodes[op];
    busLeft = std::min(busLeft, c.cx - kHalf);
    busRight = std::max(busRight, c.cx + kHalf);
    doc.Path(PathData().M(c.cx, c.top + kBox).V(c.top + kBox + kBusGap), line);
  }
  const float busY = carrierTop + kBox + kBusGap + 0.5f;
  doc.Path(PathData().M(busLeft, busY).H(busRight), line);

  // D's feedback hook: out of its right side, over its top, back in.
  const Node& d = nodes[kOpD];
  const float hookX = d.cx + kHalf + kHook - 0.5f;
  const float hookY = d.top - kHook + 0.5f;
  doc.Path(PathData().M(d.cx + kHalf, d.top + kHalf).H(hookX).V(hookY).H(d.cx).V(d.top), line);

  for (int op = 0; op < kNumOperators; ++op)
  {
    const Node& n = nodes[op];
    doc.Rect(n.cx - kHalf, n.top, kBox, kBox, 2.f, Fill(theme::kOperatorColors[op]));
    DrawLabel(doc, font, kOperatorLetters[op], kLetterSize, n.cx, n.top + kHalf,
              Fill(theme::ColorLabelBackground));
  }
  return doc.Text();
}

} // namespace pelmora::pictures
