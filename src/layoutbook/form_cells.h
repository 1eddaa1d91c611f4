#pragma once
// Where the form keeps what: the cells the program writes on every page,
// the column-header captions that make a sheet a form, and the per-field
// blocks people type into. Rows and columns are 1-based.

#include <array>
#include <string_view>

namespace kolumbra::form {

struct CellAt {
    int row;
    int column;
};

// Header values written for the table.
inline constexpr CellAt TableName{7, 20};   // T7
inline constexpr CellAt DatabaseName{7, 1}; // A7
inline constexpr CellAt Author{5, 29};      // AC5
inline constexpr CellAt PageNumber{1, 36};  // AJ1: " p/ n"
// The table's description, on the lines under the title caption.
inline constexpr int TableRemarksFirstRow = 3;
inline constexpr int TableRemarksRows = 3;

// Columns of a field row.
inline constexpr int NumberColumn = 1;      // A
inline constexpr int KeyColumn = 3;         // C
inline constexpr int IndexColumn = 4;       // D
inline constexpr int NameColumn = 5;        // E
inline constexpr int FieldIdFirst = 15;     // O, typed
inline constexpr int FieldIdLast = 20;      // T
inline constexpr int TypeColumn = 21;       // U
inline constexpr int SizeColumn = 24;       // X
inline constexpr int RemarksFirst = 27;     // AA, typed (or the description)
inline constexpr int RemarksLast = 38;      // AL

inline constexpr int CaptionRow = 10;
inline constexpr int LastRow = 44;
inline constexpr int LastColumn = 38;

struct Caption {
    int column;
    std::string_view text;
};
// Row 10 of every page.
inline constexpr std::array<Caption, 7> ColumnCaptions = {{
    {1, "番号"},
    {3, "ｷｰ"},
    {5, "項　目　名"},
    {15, "項 目 Ｉ Ｄ"},
    {21, "属 性"},
    {24, "ﾊﾞｲﾄ数"},
    {27, "摘  要"},
}};

// The cells of the header block's captions (rows 2 to 8), which every page
// carries.
inline constexpr std::array<CellAt, 16> HeaderCaptionCells = {{
    {2, 1}, {2, 13}, {2, 18}, {2, 20}, {2, 23}, {2, 26}, {2, 29}, {3, 29},
    {4, 29}, {6, 1}, {6, 20}, {8, 1}, {8, 9}, {8, 17}, {8, 25}, {8, 32},
}};

}  // namespace kolumbra::form
