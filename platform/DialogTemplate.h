#pragma once
// Dialog templates as data: each window of the program is described by its
// controls (id, kind, text, position in dialog units, style) and built by
// buildDialog(). Dialog units follow the template font the way the Windows
// dialog manager does: x = du * averageCharWidth / 4, y = du * fontHeight / 8.

#include <cstdint>
#include <functional>
#include <span>

class QDialog;
class QFont;
class QRect;
class QWidget;

namespace quelvo {

enum class ControlKind {
    Label,          // static text
    IconImage,      // static showing an icon resource
    BitmapImage,    // static showing a bitmap (or nothing)
    BlackFrame,     // static black rectangle
    EtchedHLine,    // static etched / sunken horizontal line
    EtchedVLine,
    Edit,
    PushButton,
    DefPushButton,  // default push button
    OwnerDrawButton,
    CheckBox,       // automatic check box
    DropList,       // drop-down list combo box
    ListView,       // report-view list
    ProgressBar,
    Trackbar,
};

// Style bits of a control, the ones the program relies on.
enum ControlStyle : uint32_t {
    StyleNone = 0,
    StyleHidden = 1u << 0,
    StyleDisabled = 1u << 1,
    StyleTabStop = 1u << 2,
    StyleGroup = 1u << 3,
    StyleCenterText = 1u << 4,      // horizontally centred text
    StyleCenterVertical = 1u << 5,  // text centred vertically (SS_CENTERIMAGE)
    StyleBorder = 1u << 6,
    StyleNoPrefix = 1u << 7,
    StyleNoWrap = 1u << 8,          // left-aligned without word wrap (type 11)
    StyleAutoHScroll = 1u << 9,
    StyleVScroll = 1u << 10,
    StyleSingleSelect = 1u << 11,
};

constexpr int kNoId = -1;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

struct ControlTemplate {
    int id;               // kNoId for static decorations
    ControlKind kind;
    const char* text;     // caption, or nullptr
    int x, y, width, height;  // dialog units
    uint32_t style;
    int resource = 0;     // icon or bitmap resource id for image statics
};

enum DialogStyle : uint32_t {
    DialogNone = 0,
    DialogSystemMenu = 1u << 0,
    DialogMinimizeBox = 1u << 1,
    DialogAppWindow = 1u << 2,  // shown in the task bar
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;  // dialog units
    const char* fontFace;
    int pointSize;
    uint32_t style;
    std::span<const ControlTemplate> controls;
};

// Creates a widget for a control; return nullptr to get the default widget.
using ControlFactory = std::function<QWidget*(const ControlTemplate&, QWidget* parent)>;

// Builds every control of t as a child of dialog, in template order (which is
// also the tab order), and sizes the dialog. Controls are found again by id.
void buildDialog(QDialog* dialog, const DialogTemplate& t, const ControlFactory& factory = {});

// The font a template names, mapped onto the fonts this system has.
QFont templateFont(const char* face, int pointSize);

// Dialog-unit base of a font: average character width and character height.
struct DialogBase {
    int x;
    int y;
};
DialogBase dialogBase(const QFont& font);
QRect dialogUnitsToPixels(const DialogBase& base, int x, int y, int width, int height);

// The control with this id inside dialog (nullptr when there is none).
QWidget* controlById(const QWidget* dialog, int id);
template <typename T>
T* control(const QWidget* dialog, int id)
{
    return dynamic_cast<T*>(controlById(dialog, id));
}
// The id a control was built with (kNoId for none).
int controlId(const QWidget* control);

}  // namespace quelvo
