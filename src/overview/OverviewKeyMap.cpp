#include "OverviewKeyMap.h"

#include "OverviewModel.h"

namespace {

// Control stands for the Command key of the local shortcuts; the keypad
// flag says nothing about what the user meant.
Qt::KeyboardModifiers meaningful(Qt::KeyboardModifiers modifiers) {
    return modifiers & ~Qt::KeypadModifier;
}

bool isCommand(const OverviewKeyMap::KeyPress& press) {
    return meaningful(press.modifiers) == Qt::ControlModifier;
}

bool isShift(const OverviewKeyMap::KeyPress& press) {
    return meaningful(press.modifiers) == Qt::ShiftModifier;
}

// The top row's keys 1 to 9 and 0 have XKB key codes 10 to 19.
constexpr quint32 firstDigitKeyCode = 10;
constexpr quint32 zeroKeyCode = 19;

} // namespace

bool OverviewKeyMap::handle(OverviewModel& model, const KeyPress& press) {
    switch (press.key) {
    case Qt::Key_Left:
        model.move(OverviewModel::Direction::left);
        return true;
    case Qt::Key_Right:
        model.move(OverviewModel::Direction::right);
        return true;
    case Qt::Key_Up:
        model.move(OverviewModel::Direction::up);
        return true;
    case Qt::Key_Down:
        model.move(OverviewModel::Direction::down);
        return true;
    case Qt::Key_Tab:
        model.nextTab();
        return true;
    case Qt::Key_Backtab:
        // Shift-Tab would move the keyboard focus out of the search field.
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        model.pickSelected(isShift(press) ? OverviewModel::PasteForm::plain
                                          : OverviewModel::PasteForm::asIs);
        return true;
    case Qt::Key_Escape:
        escape(model);
        return true;
    case Qt::Key_Space:
        if (model.previewItem() || !model.isSearching()) {
            model.togglePreview();
            return true;
        }
        return false;
    default:
        break;
    }
    if (isCommand(press))
        return handleCommand(model, press);
    return handleDigit(model, press);
}

bool OverviewKeyMap::handleCommand(OverviewModel& model, const KeyPress& press) {
    switch (press.key) {
    case Qt::Key_Z:
        return model.undo();
    case Qt::Key_P:
        model.togglePinSelected();
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        model.deleteSelected();
        return true;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
        switchTab(model, press.key - Qt::Key_1);
        return true;
    default:
        return false;
    }
}

bool OverviewKeyMap::handleDigit(OverviewModel& model, const KeyPress& press) {
    const std::optional<int> digit = digitOf(press);
    if (!digit || model.isSearching() || model.previewItem())
        return false;
    return model.pickNumber(*digit, isShift(press) ? OverviewModel::PasteForm::plain
                                                   : OverviewModel::PasteForm::asIs);
}

// Without Shift the typed digit counts (the keypad too); with Shift the text
// is a layout's symbol, so the physical key of the top row says which digit.
std::optional<int> OverviewKeyMap::digitOf(const KeyPress& press) {
    if (isShift(press)) {
        if (press.scanCode < firstDigitKeyCode || press.scanCode > zeroKeyCode)
            return std::nullopt;
        return press.scanCode == zeroKeyCode ? 0 : int(press.scanCode - firstDigitKeyCode + 1);
    }
    if (meaningful(press.modifiers) != Qt::NoModifier || press.text.size() != 1 ||
        !press.text.front().isDigit())
        return std::nullopt;
    bool isNumber = false;
    const int number = press.text.toInt(&isNumber);
    return isNumber ? std::optional(number) : std::nullopt;
}

void OverviewKeyMap::escape(OverviewModel& model) {
    if (model.previewItem())
        model.setPreviewItem(std::nullopt);
    else if (model.isSearching())
        model.setQuery(QString());
    else if (model.onClose)
        model.onClose();
}

void OverviewKeyMap::switchTab(OverviewModel& model, int tabIndex) {
    const auto tab = OverviewModel::tabFromRawValue(tabIndex);
    if (!tab)
        return;
    model.setTab(*tab);
    model.setQuery(QString());
}
