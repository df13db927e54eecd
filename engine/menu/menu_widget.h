#pragma once
// The engine's hierarchical popup menu: a tree of levels of up to 20 items,
// navigated with the keys and the stylus of the input record. Choosing a
// command closes the menu and hands the item's identifier to the send hook
// (the program posts it to the main window as a command message).
//
// Thread safety: game thread only.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/input_state.h"

namespace menu {

enum ItemKind : int { kItemCommand = 0, kItemPopup = 1, kItemSeparator = 2 };

// Item flags.
inline constexpr uint32_t kItemChecked = 1;
inline constexpr uint32_t kItemEnabled = 2;
// SetChecked/SetEnabled: the second argument is an index, not an identifier.
inline constexpr uint32_t kByIndex = 256;

inline constexpr int kMaxItems = 20;
inline constexpr size_t kMaxLabel = 127;
inline constexpr size_t kMaxTitle = 63;

struct MenuLevel;

struct MenuItem {
    MenuLevel* submenu = nullptr;
    std::string label;  // Shift-JIS
    int kind = kItemCommand;
    uint32_t identifier = 0;
    uint32_t flags = kItemEnabled;

    bool Checked() const { return (flags & kItemChecked) != 0; }
    bool Enabled() const { return (flags & kItemEnabled) != 0; }
    bool Selectable() const { return kind != kItemSeparator && Enabled(); }
};

struct MenuLevel {
    MenuLevel* parent = nullptr;
    std::vector<MenuItem> items;
};

// Where a stylus position falls.
struct HitResult {
    enum Area { kItem, kHeader, kBox, kOutside } area = kOutside;
    int item = -1;
};

class MenuWidget {
public:
    using SendCommand = std::function<void(uint32_t identifier)>;

    explicit MenuWidget(SendCommand send);
    ~MenuWidget();

    // A new level attached as the submenu of item itemIndex of parent, or as
    // the root when parent is nullptr.
    MenuLevel* AddLevel(MenuLevel* parent, int itemIndex);
    // The new item's index; 0 when the level is full, -1 without a level.
    int AddItem(MenuLevel* level, uint32_t identifier, int kind, const std::string& label);
    // Depth first from the root, first match.
    bool FindItem(uint32_t identifier, MenuLevel** level, int* index);
    // flags bit 0: the new checked state; with kByIndex, which is an index in
    // level (the root when nullptr), else an identifier searched from level.
    void SetChecked(MenuLevel* level, uint32_t which, uint32_t flags);
    // flags bit 1: the new enabled state; addressed as SetChecked.
    void SetEnabled(MenuLevel* level, uint32_t which, uint32_t flags);
    void SetLabel(MenuLevel* level, uint32_t identifier, const std::string& text);

    void Open();
    // Opens at the root and enters the popup at that root index.
    void OpenAt(int index);
    // Once per frame while open; false when the menu has closed.
    bool HandleInput(core::InputState& input);
    void Close();
    // The load list is always offered; the save list only while saving is allowed.
    void EnableSlotMenus(bool savingAllowed);

    bool IsOpen() const { return open_; }
    MenuLevel* Root() const { return root_; }
    MenuLevel* Current() const { return current_; }
    int Selected() const { return selected_; }
    int Depth() const { return depth_; }
    // "[title]->[title]..." of the open levels, Shift-JIS.
    std::string Path() const;
    // The menu box in landscape pixels, from the current level.
    int32_t Width() const;
    int32_t Height() const;
    const std::string& Status() const { return status_; }
    HitResult HitTest(int32_t x, int32_t y) const;

    // Called after the picture of the menu changed (selection, level) and on
    // close; the drawing is hooked here.
    std::function<void()> onRedraw;
    std::function<void()> onClose;
    // The status line of the header (time and battery), Shift-JIS.
    std::function<std::string()> statusText;

private:
    MenuItem* Address(MenuLevel* level, uint32_t which, uint32_t flags);
    bool FindFrom(MenuLevel* level, uint32_t identifier, MenuLevel** found, int* index);
    void SelectNext(int step);
    bool Enter();
    bool Back();
    bool Choose();  // closes; sends when the selection is a command
    void Redraw();

    SendCommand send_;
    std::vector<std::unique_ptr<MenuLevel>> levels_;
    MenuLevel* root_ = nullptr;
    MenuLevel* current_ = nullptr;
    int selected_ = -1;
    int depth_ = 0;
    std::vector<int> stack_;
    std::vector<std::string> titles_;
    bool open_ = false;
    bool savingAllowed_ = false;
    std::string status_;
};

}  // namespace menu
