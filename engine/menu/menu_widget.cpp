#include "engine/menu/menu_widget.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace menu {

namespace {

std::string Sjis(const char* utf8) {
    std::string out;
    platform::Utf8ToSjis(utf8, &out);
    return out;
}

}  // namespace

MenuWidget::MenuWidget(SendCommand send) : send_(std::move(send)) {}

MenuWidget::~MenuWidget() = default;

MenuLevel* MenuWidget::AddLevel(MenuLevel* parent, int itemIndex) {
    auto level = std::make_unique<MenuLevel>();
    level->parent = parent;
    level->items.reserve(kMaxItems);
    MenuLevel* result = level.get();
    if (parent == nullptr) {
        root_ = result;
    } else if (itemIndex >= 0 && itemIndex < static_cast<int>(parent->items.size())) {
        parent->items[itemIndex].submenu = result;
    }
    levels_.push_back(std::move(level));
    return result;
}

int MenuWidget::AddItem(MenuLevel* level, uint32_t identifier, int kind, const std::string& label) {
    if (level == nullptr) return -1;
    if (static_cast<int>(level->items.size()) >= kMaxItems) return 0;
    MenuItem item;
    item.label = label.substr(0, kMaxLabel);
    item.kind = kind;
    item.identifier = kind == kItemCommand ? (identifier & 0xFFFF) : 0;
    level->items.push_back(std::move(item));
    return static_cast<int>(level->items.size()) - 1;
}

bool MenuWidget::FindFrom(MenuLevel* level, uint32_t identifier, MenuLevel** found, int* index) {
    if (level == nullptr) return false;
    for (size_t i = 0; i < level->items.size(); ++i) {
        const MenuItem& item = level->items[i];
        if (item.kind == kItemCommand && item.identifier == identifier) {
            *found = level;
            *index = static_cast<int>(i);
            return true;
        }
        if (item.submenu != nullptr && FindFrom(item.submenu, identifier, found, index)) {
            return true;
        }
    }
    return false;
}

bool MenuWidget::FindItem(uint32_t identifier, MenuLevel** level, int* index) {
    return FindFrom(root_, identifier, level, index);
}

MenuItem* MenuWidget::Address(MenuLevel* level, uint32_t which, uint32_t flags) {
    if (level == nullptr) level = root_;
    if (level == nullptr) return nullptr;
    if (flags & kByIndex) {
        if (which >= level->items.size()) return nullptr;
        return &level->items[which];
    }
    MenuLevel* found = nullptr;
    int index = 0;
    if (!FindFrom(level, which, &found, &index)) return nullptr;
    return &found->items[index];
}

void MenuWidget::SetChecked(MenuLevel* level, uint32_t which, uint32_t flags) {
    if (MenuItem* item = Address(level, which, flags)) {
        item->flags = (item->flags & ~kItemChecked) | (flags & kItemChecked);
    }
}

void MenuWidget::SetEnabled(MenuLevel* level, uint32_t which, uint32_t flags) {
    if (MenuItem* item = Address(level, which, flags)) {
        item->flags = (item->flags & ~kItemEnabled) | (flags & kItemEnabled);
    }
}

void MenuWidget::SetLabel(MenuLevel* level, uint32_t identifier, const std::string& text) {
    if (MenuItem* item = Address(level, identifier, 0)) item->label = text.substr(0, kMaxLabel);
}

void MenuWidget::EnableSlotMenus(bool savingAllowed) {
    savingAllowed_ = savingAllowed;
    SetEnabled(root_, 0, kByIndex | kItemEnabled);
    SetEnabled(root_, 1, kByIndex | (savingAllowed ? kItemEnabled : 0));
}

void MenuWidget::Open() {
    if (root_ == nullptr) return;
    current_ = root_;
    selected_ = -1;
    depth_ = 0;
    stack_.clear();
    titles_.assign(1, Sjis("ﾄｯﾌﾟ"));
    status_ = statusText ? statusText() : std::string();
    open_ = true;
    Redraw();
}

void MenuWidget::OpenAt(int index) {
    Open();
    if (!open_ || index < 0 || index >= static_cast<int>(root_->items.size())) return;
    selected_ = index;
    Enter();
}

void MenuWidget::Close() {
    if (!open_) return;
    open_ = false;
    if (onClose) onClose();
}

void MenuWidget::Redraw() {
    if (onRedraw) onRedraw();
}

std::string MenuWidget::Path() const {
    std::string path;
    for (size_t i = 0; i < titles_.size(); ++i) {
        if (i > 0) path += "->";
        path += "[" + titles_[i] + "]";
    }
    return path;
}

int32_t MenuWidget::Width() const {
    int32_t width = 6 * static_cast<int32_t>(Path().size()) + 12;
    width = std::max(width, 6 * static_cast<int32_t>(status_.size()) + 12);
    if (current_ != nullptr) {
        for (const MenuItem& item : current_->items) {
            width = std::max(width, 6 * static_cast<int32_t>(item.label.size()) + 24);
        }
    }
    return width;
}

int32_t MenuWidget::Height() const {
    int32_t count = current_ != nullptr ? static_cast<int32_t>(current_->items.size()) : 0;
    return 13 * count + 40;
}

HitResult MenuWidget::HitTest(int32_t x, int32_t y) const {
    const int32_t width = Width();
    if (current_ != nullptr && x > 10 && x < width - 11) {
        for (size_t i = 0; i < current_->items.size(); ++i) {
            int32_t top = 34 + 13 * static_cast<int32_t>(i);
            if (y >= top && y < top + 13) return {HitResult::kItem, static_cast<int>(i)};
        }
    }
    if (x > width) return {HitResult::kOutside, -1};
    if (y <= 32) return {HitResult::kHeader, -1};
    if (y <= Height()) return {HitResult::kBox, -1};
    return {HitResult::kOutside, -1};
}

void MenuWidget::SelectNext(int step) {
    const int count = static_cast<int>(current_->items.size());
    int start = selected_;
    if (start < 0) start = step > 0 ? -1 : count;
    for (int n = 1; n <= count; ++n) {
        int i = ((start + step * n) % count + count) % count;
        if (current_->items[i].Selectable()) {
            if (i != selected_) {
                selected_ = i;
                Redraw();
            }
            return;
        }
    }
}

bool MenuWidget::Enter() {
    if (selected_ < 0) return false;
    MenuItem& item = current_->items[selected_];
    if (item.kind != kItemPopup || item.submenu == nullptr) return false;
    stack_.push_back(selected_);
    titles_.push_back(item.label.substr(0, kMaxTitle));
    current_ = item.submenu;
    selected_ = -1;
    ++depth_;
    Redraw();
    return true;
}

bool MenuWidget::Back() {
    if (depth_ == 0) {
        Close();
        return false;
    }
    current_ = current_->parent;
    selected_ = stack_.back();
    stack_.pop_back();
    titles_.pop_back();
    --depth_;
    Redraw();
    return true;
}

bool MenuWidget::Choose() {
    const MenuItem item = current_->items[selected_];
    Close();
    if (item.kind == kItemCommand && send_) send_(item.identifier);
    return false;
}

bool MenuWidget::HandleInput(core::InputState& in) {
    if (!open_) return false;
    const bool hasItems = current_ != nullptr && !current_->items.empty();
    const auto use = [](int32_t& counter) {
        if (counter == 0) return false;
        counter = 0;
        return true;
    };
    // Every flagged key in this order, until one closes the menu.
    if (use(in.up) && hasItems) SelectNext(-1);
    if (use(in.down) && hasItems) SelectNext(1);
    if (use(in.left)) Back();
    if (!open_) return false;
    if (use(in.right) && selected_ >= 0 && !Enter()) return Choose();
    if (use(in.keyC) && selected_ >= 0) return Choose();
    if (use(in.keyA)) Back();
    if (!open_) return false;
    if (use(in.keyB)) {
        Close();
        return false;
    }
    if (in.tap || in.released || in.stylusDown) {
        const bool up = in.released;
        in.tap = false;
        in.released = false;
        HitResult hit = HitTest(in.stylusX, in.stylusY);
        const auto clear = [this] {
            if (selected_ != -1) {
                selected_ = -1;
                Redraw();
            }
        };
        switch (hit.area) {
            case HitResult::kOutside:
                clear();
                if (up) Close();
                break;
            case HitResult::kHeader:
                clear();
                if (up) Back();
                break;
            case HitResult::kBox:
                clear();
                break;
            case HitResult::kItem: {
                const MenuItem& item = current_->items[hit.item];
                if (!item.Selectable()) {
                    clear();
                } else if (up) {
                    selected_ = hit.item;
                    if (item.kind == kItemCommand) return Choose();
                    Enter();
                } else if (selected_ != hit.item) {
                    selected_ = hit.item;
                    Redraw();
                }
                break;
            }
        }
    }
    return open_;
}

}  // namespace menu
