#include "controls/CTipOfTheDayDlg.h"

#include <QCheckBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include <array>

#include "app/AppInfo.h"
#include "controls/TipsReader.h"
#include "platform/Resources.h"
#include "platform/UiServices.h"

namespace quelvo {

namespace {

constexpr std::array<ControlTemplate, 6> kControls{{
    {kNoId, ControlKind::BlackFrame, nullptr, 12, 11, 207, 25, StyleHidden},
    {kIdTipText, ControlKind::Label, "Some String", 22, 57, 189, 52, StyleHidden | StyleGroup},
    {kIdShowAtStartup, ControlKind::CheckBox, "&Show Tips on StartUp", 13, 121, 85, 10,
     StyleGroup | StyleTabStop},
    {kIdNextTip, ControlKind::PushButton, "&Next Tip", 109, 118, 50, 14, StyleGroup | StyleTabStop},
    {kIdOk, ControlKind::DefPushButton, "&Close", 168, 118, 50, 14, StyleGroup | StyleTabStop},
    {kIdTipPanel, ControlKind::BitmapImage, nullptr, 20, 17, 190, 111, StyleNone},
}};

constexpr DialogTemplate kTemplate{kTipTemplateId, "Tip of the Day", 231, 143, "Arial", 9,
                                   DialogSystemMenu, kControls};

// The panel leaves the last 50 pixels of its control to the buttons' row.
constexpr int kPanelBottomRaise = 50;

}  // namespace

const DialogTemplate& tipOfTheDayTemplate()
{
    return kTemplate;
}

CTipOfTheDayDlg::CTipOfTheDayDlg(QWidget* parent) : CTipOfTheDayDlg(defaultTipsPath(), parent) {}

CTipOfTheDayDlg::CTipOfTheDayDlg(const std::string& tipsPath, QWidget* parent) : QDialog(parent)
{
    showAtStartup_ = readShowAtStartup();
    reader_ = std::make_unique<TipsReader>(tipsPath, [] {
        showMessageBox(nullptr, QString::fromUtf8(kTipsTroubleText),
                       QString::fromStdString(ApplicationName()), MessageButtons::Ok);
    });
    if (reader_->isOpen())
        takeTip();
    else
        tipText_ = QString::fromUtf8(kTipsMissingText);

    buildDialog(this, kTemplate);
    control<QCheckBox>(this, kIdShowAtStartup)->setChecked(showAtStartup_);
    auto* next = control<QPushButton>(this, kIdNextTip);
    next->setEnabled(reader_->isOpen());
    connect(next, &QPushButton::clicked, this, &CTipOfTheDayDlg::nextTip);
    connect(control<QPushButton>(this, kIdOk), &QPushButton::clicked, this, &QDialog::accept);
}

CTipOfTheDayDlg::~CTipOfTheDayDlg() = default;

void CTipOfTheDayDlg::takeTip()
{
    tipText_ = QString::fromLocal8Bit(reader_->tipText());
}

void CTipOfTheDayDlg::nextTip()
{
    reader_->readNextTip();
    takeTip();
    update();
}

void CTipOfTheDayDlg::accept()
{
    showAtStartup_ = control<QCheckBox>(this, kIdShowAtStartup)->isChecked();
    QDialog::accept();
    writeShowAtStartup(showAtStartup_);
}

void CTipOfTheDayDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect panel = controlById(this, kIdTipPanel)->geometry();
    panel.setBottom(panel.bottom() - kPanelBottomRaise);
    p.fillRect(panel, Qt::white);

    const QPixmap picture = bitmapResource(kTipBitmapId);
    p.drawPixmap(panel.topLeft(), picture);

    const QRect heading(panel.left() + picture.width(), panel.top(),
                        panel.width() - picture.width(), picture.height());
    p.drawText(heading, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               QString::fromUtf8(kDidYouKnowText));
    p.drawText(controlById(this, kIdTipText)->geometry(),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs, tipText_);
}

}  // namespace quelvo
