#pragma once
// The owner-drawn list of a list rollout: one row per picked node, in slot
// order, with the node's wire colour and the entry's values, a multiple
// selection with a focused entry, and a scroll bar of its own. The entries
// live in the terrain's parameter block; the view only reads and writes
// them there, so undo, save and load stay the block's business.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "host/sdk/param_block.h"
#include "host/sdk/win32.h"

class INode;

// What differs between the four lists: their window class, row layout and
// how far they scroll.
struct ListKind {
    const char* className;
    int rowHeight;
    int lastRow;     // rows 0 .. lastRow are drawn
    int scrollSpare; // the scroll range is 0 .. max(N - scrollSpare, 0)
    RECT swatch;     // relative to the row's top
    int lines;       // text lines per row, 1 or 2
    POINT text[2];   // text origins relative to the row's top
};

extern const ListKind kSplinesList;
extern const ListKind kPlatformsList;
extern const ListKind kInsertList;
extern const ListKind kUVWMapList;

constexpr int kListSlots = 200;

// Writes the text lines of the entry in a slot.
using RowTextFn = std::function<void(IParamBlock2* pb, int slot, INode* node,
                                     std::array<std::string, 2>& lines)>;

// The slot-indexed view (platforms, inserts, UVW paths): the selection is a
// flag per slot and the focus is a slot.
class ListBoxView {
public:
    ListBoxView(const ListKind& kind, ParamID nodeTable, RowTextFn rowText);
    virtual ~ListBoxView() = default;
    ListBoxView(const ListBoxView&) = delete;
    ListBoxView& operator=(const ListBoxView&) = delete;

    const ListKind& Kind() const { return kind_; }
    HWND Window() const { return hwnd_; }
    IParamBlock2* Block() const { return pblock_; }
    int Anchor() const { return anchor_; }
    ParamID NodeTable() const { return nodeTable_; }

    virtual void Attach(HWND hwnd, IParamBlock2* pb);
    // The window is going; the view forgets it.
    void Detach();
    void UpdateScrollRange();
    void Invalidate();
    void NotifyParent();
    void Enable(bool on);
    virtual void ClearSelection();
    virtual void AddNode(INode* node);
    virtual void RemoveSelected();
    virtual void SelectAt(int position, bool shift, bool control);

    // Entries shown, and the slot of the entry shown at a position (200 past
    // the end).
    virtual int Count() const;
    virtual int SlotAt(int position) const;
    virtual bool SelectedAt(int position) const;
    virtual bool FocusedAt(int position) const;
    bool SlotSelected(int slot) const { return flags_[slot] != 0; }

    // The value every selected entry shares; false when none is selected or
    // they differ.
    bool CommonValue(ParamID id, int& value) const;
    bool CommonValue(ParamID id, float& value) const;
    // Sets the value on every selected slot.
    void SetSelected(ParamID id, int value);
    void SetSelected(ParamID id, float value);

    // Exchanges the focused entry with its neighbour (direction -1 or +1)
    // together with the listed per-entry values, then selects it alone.
    void MoveEntry(int direction, const std::vector<ParamID>& values);

    INode* NodeAt(int slot) const;
    LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    void Paint();
    void SetNode(int slot, INode* node);
    // Selected slots in order, for the common-value walk.
    virtual std::vector<int> SelectedSlots() const;

    const ListKind& kind_;
    ParamID nodeTable_;
    RowTextFn rowText_;
    IParamBlock2* pblock_ = nullptr;
    HWND hwnd_ = nullptr;
    int anchor_ = -1;
    std::array<unsigned char, kListSlots> flags_{};
    bool shapesOnly_ = false;

public:
    // The insert list takes shapes only, whatever its pick mode offers.
    void SetShapesOnly(bool on) { shapesOnly_ = on; }
};

// The splines view keeps its own entries in display order, each with its
// selection; its focus is a display position. A new entry shows last until
// the next Refresh.
class SplinesListBoxView : public ListBoxView {
public:
    SplinesListBoxView(ParamID nodeTable, RowTextFn rowText);

    // Only the window; Refresh takes the block.
    void Attach(HWND hwnd, IParamBlock2* pb) override;
    // Entries rebuilt in slot order, each keeping its slot's selection.
    void Refresh(IParamBlock2* pb);
    void ClearSelection() override;
    void AddNode(INode* node) override;
    void RemoveSelected() override;
    void SelectAt(int position, bool shift, bool control) override;

    int Count() const override { return static_cast<int>(entries_.size()); }
    int SlotAt(int position) const override;
    bool SelectedAt(int position) const override;
    bool FocusedAt(int position) const override { return position == anchor_; }

protected:
    std::vector<int> SelectedSlots() const override;

private:
    struct Entry {
        unsigned char selected;
        int slot;
    };
    std::vector<Entry> entries_;
};

// The window procedure of all four list classes: the view is the window's
// user data, set by Attach.
LRESULT CALLBACK ListBoxViewProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Text at (x, y) in the selected font and colours.
void DrawText(HDC dc, int x, int y, const char* text);
