#include "engine/sheet/biff/sheet_removal.h"

#include <optional>

#include "engine/sheet/biff/formula_names.h"
#include "engine/sheet/biff/record_types.h"

namespace kolumbra::sheet::biff {

namespace {

constexpr std::uint16_t DeletedSheet = 0xFFFF;
constexpr std::uint16_t FirstSpecialTab = 0xFFFE;  // -2: the workbook itself, -1: a deleted sheet
constexpr std::size_t NameHeaderSize = 14;

bool IsSelfReference(const Record& supBook) {
    return supBook.data.size() == 4 && supBook.data[2] == 0x01 && supBook.data[3] == 0x04;
}

// Calls `update(body, at)` (which only reads when `globals` is const) for
// every EXTERNSHEET entry of this workbook that names sheets, `at` being where its first sheet number stands (the
// last follows); returns which entries refer to this workbook.
template <typename Records, typename Update>
std::vector<bool> UpdateSelfEntries(Records& globals, Update update) {
    std::optional<std::uint16_t> self;
    std::uint16_t supBooks = 0;
    std::vector<bool> selfReference;
    for (std::size_t i = 0; i < globals.size(); ++i) {
        auto& r = globals[i];
        if (r.type == rt::SupBook) {
            if (!self && IsSelfReference(r)) self = supBooks;
            ++supBooks;
        }
        if (r.type != rt::ExternSheet || !selfReference.empty()) continue;
        if (i + 1 < globals.size() && globals[i + 1].type == rt::Continue)
            throw FormatError("EXTERNSHEET continued");
        const std::size_t count = GetU16(r.data, 0);
        RequireSize(r.data, 2, count * 6);
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t at = 2 + 6 * k;
            const bool mine = self && GetU16(r.data, at) == *self;
            selfReference.push_back(mine);
            if (mine && GetU16(r.data, at + 2) < FirstSpecialTab && GetU16(r.data, at + 4) < FirstSpecialTab)
                update(r.data, at + 2);
        }
    }
    return selfReference;
}

}  // namespace

bool SheetReferenced(const RecordList& globals, std::uint16_t sheet) {
    bool referenced = false;
    try {
        UpdateSelfEntries(globals, [&](const Bytes& d, std::size_t at) {
            referenced = referenced || (GetU16(d, at) <= sheet && sheet <= GetU16(d, at + 2));
        });
    } catch (const FormatError&) {
        return true;  // references that cannot be read cannot be followed either
    }
    return referenced;
}

namespace {

// Marks and shifts the sheet numbers of this workbook's EXTERNSHEET
// entries; returns which entries refer to this workbook.
std::vector<bool> UpdateExternSheet(RecordList& globals, std::uint16_t removed) {
    return UpdateSelfEntries(globals, [removed](Bytes& d, std::size_t at) {
        const std::uint16_t first = GetU16(d, at), last = GetU16(d, at + 2);
        if (first == removed && last == removed) {
            PutU16(d, at, DeletedSheet);
            PutU16(d, at + 2, DeletedSheet);
            return;
        }
        // A range keeps its remaining sheets: its first sheet moves down
        // only when it lies after the removed one, its last when it is the
        // removed one or lies after it.
        if (first > removed) PutU16(d, at, static_cast<std::uint16_t>(first - 1));
        if (last >= removed) PutU16(d, at + 2, static_cast<std::uint16_t>(last - 1));
    });
}

std::size_t NameFormulaStart(const Bytes& name) {
    const std::size_t chars = GetU8(name, 3);
    return NameHeaderSize + 1 + chars * ((GetU8(name, NameHeaderSize) & 0x01) ? 2 : 1);
}

void RenumberCount(Bytes& d, std::size_t countAt, std::size_t formulaAt, const NameRenumbering& r) {
    RenumberNames(d, formulaAt, GetU16(d, countAt), r);
}

// The formulas of a drawing object: its macro, and the linked cells and
// ranges of pictures, controls and list boxes.
void RenumberObject(Bytes& d, const NameRenumbering& r) {
    for (std::size_t pos = 0; pos + 4 <= d.size();) {
        const std::uint16_t ft = GetU16(d, pos), cb = GetU16(d, pos + 2);
        const std::size_t data = pos + 4;
        if (ft == 0x0000) return;  // ftEnd
        if (ft == 0x0004) {        // ftMacro: the formula without a size
            RenumberNames(d, data + 6, GetU16(d, data) & 0x7FFF, r);
        } else if (ft == 0x0009 || ft == 0x000E || ft == 0x0014 || ft == 0x0013) {
            if (GetU16(d, data) != 0) RenumberNames(d, data + 8, GetU16(d, data + 2) & 0x7FFF, r);
            if (ft == 0x0013) return;  // list data: its size field is not reliable, it comes last
        }
        RequireSize(d, data, cb);
        pos = data + cb;
    }
}

void RenumberValidation(Bytes& d, const NameRenumbering& r) {
    std::size_t pos = 4;
    for (int text = 0; text < 4; ++text) {
        const std::size_t chars = GetU16(d, pos);
        pos += 3 + chars * ((GetU8(d, pos + 2) & 0x01) ? 2 : 1);
    }
    for (int formula = 0; formula < 2; ++formula) {
        const std::size_t size = GetU16(d, pos);
        RenumberNames(d, pos + 4, size, r);
        pos += 4 + size;
    }
}

void RenumberRecord(Record& record, const NameRenumbering& r) {
    Bytes& d = record.data;
    switch (record.type) {
    case 0x0006:  // FORMULA
        RenumberCount(d, 20, 22, r);
        break;
    case 0x04BC:  // SHRFMLA
        RenumberCount(d, 8, 10, r);
        break;
    case 0x0221:  // ARRAY
        RenumberCount(d, 12, 14, r);
        break;
    case 0x1051:  // BRAI: a chart series' reference
        RenumberCount(d, 6, 8, r);
        break;
    case 0x01B1: {  // CF: the two formulas close the record
        const std::size_t first = GetU16(d, 2), second = GetU16(d, 4);
        if (first + second > d.size()) throw FormatError("CF formulas past the record");
        RenumberNames(d, d.size() - first - second, first, r);
        RenumberNames(d, d.size() - second, second, r);
        break;
    }
    case 0x01BE:  // DV
        RenumberValidation(d, r);
        break;
    case 0x005D:  // OBJ
        RenumberObject(d, r);
        break;
    case 0x087A:  // CF12: not read here, so its names cannot be followed
        throw FormatError("CF12 formulas");
    default:
        break;
    }
}

}  // namespace

void RemoveSheetReferences(RecordList& globals, const std::vector<RecordList*>& sheets, std::uint16_t removed) {
    RecordList newGlobals = globals;
    NameRenumbering renumbering;
    renumbering.selfReference = UpdateExternSheet(newGlobals, removed);
    renumbering.newIndex.push_back(0);
    std::vector<bool> drop(newGlobals.size(), false);
    std::uint16_t kept = 0;
    bool anyRemoved = false;
    for (std::size_t i = 0; i < newGlobals.size(); ++i) {
        Record& r = newGlobals[i];
        if (r.type != rt::Name) continue;
        RequireSize(r.data, 0, NameHeaderSize + 1);
        const std::uint16_t itab = GetU16(r.data, 8);  // sheet number + 1; 0 for the workbook
        if (itab == removed + 1) {
            anyRemoved = true;
            renumbering.newIndex.push_back(0);
            for (std::size_t j = i; j < newGlobals.size() && (j == i || newGlobals[j].type == rt::Continue); ++j)
                drop[j] = true;
            continue;
        }
        if (itab > removed + 1) PutU16(r.data, 8, static_cast<std::uint16_t>(itab - 1));
        renumbering.newIndex.push_back(++kept);
    }
    std::vector<RecordList> newSheets;
    if (anyRemoved) {
        for (std::size_t i = 0; i < newGlobals.size(); ++i) {
            if (newGlobals[i].type == rt::Name && !drop[i])
                RenumberCount(newGlobals[i].data, 4, NameFormulaStart(newGlobals[i].data), renumbering);
        }
        for (const RecordList* sheet : sheets) {
            newSheets.push_back(*sheet);
            for (Record& record : newSheets.back()) RenumberRecord(record, renumbering);
        }
    }
    RecordList result;
    for (std::size_t i = 0; i < newGlobals.size(); ++i)
        if (!drop[i]) result.push_back(std::move(newGlobals[i]));
    globals = std::move(result);
    for (std::size_t i = 0; i < newSheets.size(); ++i) *sheets[i] = std::move(newSheets[i]);
}

void InsertSheetReferences(RecordList& globals, std::uint16_t inserted) {
    RecordList newGlobals = globals;
    UpdateSelfEntries(newGlobals, [inserted](Bytes& d, std::size_t at) {
        // A range over the new position takes the new sheet in, as a
        // sheet inserted between the ends of a 3-D reference joins it.
        for (std::size_t end : {at, at + 2}) {
            if (GetU16(d, end) >= inserted) PutU16(d, end, static_cast<std::uint16_t>(GetU16(d, end) + 1));
        }
    });
    for (Record& r : newGlobals) {
        if (r.type != rt::Name) continue;
        const std::uint16_t itab = GetU16(r.data, 8);  // sheet number + 1; 0 for the workbook
        if (itab > inserted) PutU16(r.data, 8, static_cast<std::uint16_t>(itab + 1));
    }
    globals = std::move(newGlobals);
}

}  // namespace kolumbra::sheet::biff
