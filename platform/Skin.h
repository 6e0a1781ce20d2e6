#pragma once
// Our skin facility: one Qt style sheet kept in the program's resources
// (type "SKINMAGIC", name "ZORVAN_SKIN"), loaded at start-up, applied to every
// dialog and to the source list's popup menu, released at shutdown.

#include <QString>
#include <vector>

#include "platform/UiServices.h"

class QWidget;

namespace quelvo {

void skinInit();                                          // ready for the other calls
bool skinLoadResource(const QString& name, const QString& type);  // the active skin
void skinApplyToDialogs(const QString& style);            // "Dialog"
int skinTrackPopupMenu(PopupRequest request);             // chosen command id or 0
void skinAttachWindow(QWidget* window);                   // the About box's link labels
void skinRelease();

// The active style sheet (empty before loading or after release).
QString skinStyleSheet();

// Which operations ran, in order, by their numbers (1 init, 4 load, 8 apply,
// 13 popup, 7 attach, 2 release); the start-up order is checked against it.
const std::vector<int>& skinCallLog();
void clearSkinCallLog();

}  // namespace quelvo
