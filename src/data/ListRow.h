#pragma once

#include <QString>
#include <array>

// The texts of one row of the item list: the caption (first column) and the
// six sub-texts of the other columns. An item fills it; the list view shows it.
struct ListRow
{
    static constexpr int SubItemCount = 6;

    QString caption;
    std::array<QString, SubItemCount> subItems;
};
