#pragma once
// The columns of the keyword table, in their order.

namespace zv {

enum class KeywordColumn {
    Margin, // a narrow empty column before the number
    Number, // 1, 2, ... in the order the keywords were added
    Keyword,
    Index, // the keyword's index picture
    Rank, // the positions found by the rank search
    Curve, // "双击查看": opens the rank curve
};

inline constexpr int kKeywordColumnCount = 6;

} // namespace zv
