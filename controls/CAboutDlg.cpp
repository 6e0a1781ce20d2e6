#include "controls/CAboutDlg.h"

#include <QPushButton>

#include <array>
#include <cstdio>

#include "app/ProductInfo.h"
#include "controls/CLinkLabel.h"
#include "controls/CStyledLabel.h"
#include "platform/Skin.h"

namespace quelvo {

namespace {

constexpr std::array<ControlTemplate, 12> kControls{{
    {kNoId, ControlKind::IconImage, nullptr, 4, 7, 20, 20, StyleNone, 128},
    {kIdAboutTitle, ControlKind::Label, "Quelvo 1.0", 30, 12, 145, 8, StyleGroup | StyleNoPrefix},
    {kIdOk, ControlKind::DefPushButton, "OK", 184, 9, 33, 12, StyleGroup | StyleTabStop},
    {kNoId, ControlKind::EtchedHLine, nullptr, 9, 28, 207, 1, StyleNone},
    {kIdHomePageLink, ControlKind::Label, "Home page", 85, 34, 38, 8, StyleGroup | StyleNoWrap},
    {kIdSupportLink, ControlKind::Label, "Technical support", 85, 55, 57, 8,
     StyleGroup | StyleNoWrap},
    {kNoId, ControlKind::EtchedHLine, nullptr, 9, 98, 207, 1, StyleNone},
    {kNoId, ControlKind::Label, "Quelvo is protected by copyright law. You may use it as", 9, 103,
     203, 8, StyleNone},
    {kNoId, ControlKind::Label, "licensed, but copying or passing on the program or any", 9, 111,
     202, 8, StyleNone},
    {kNoId, ControlKind::Label, "part of it without the makers' written consent is", 9, 119, 191,
     8, StyleNone},
    {kNoId, ControlKind::Label, "forbidden and may lead to civil and criminal charges to", 9, 127,
     203, 8, StyleNone},
    {kNoId, ControlKind::Label, "the full extent of law.", 9, 134, 74, 8, StyleNone},
}};

constexpr DialogTemplate kTemplate{kAboutTemplateId, "About Quelvo", 230, 146, "Arial", 9,
                                   DialogSystemMenu, kControls};

int staticTypeOf(const ControlTemplate& c)
{
    if (c.style & StyleNoWrap)
        return StaticLeftNoWordWrap;
    return (c.style & StyleCenterText) ? StaticCenter : StaticLeft;
}

}  // namespace

const DialogTemplate& aboutTemplate()
{
    return kTemplate;
}

std::string aboutTitle(const std::string& versionText)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "Quelvo %s", versionText.c_str());
    std::string title = buf;
    // Drop a UTF-8 sequence the buffer cut short.
    size_t lead = title.size();
    while (lead > 0 && (static_cast<unsigned char>(title[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead > 0 && static_cast<unsigned char>(title[lead - 1]) >= 0xC0) {
        const unsigned char first = static_cast<unsigned char>(title[lead - 1]);
        const size_t need = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : 2;
        if (title.size() - (lead - 1) < need)
            title.resize(lead - 1);
    }
    return title;
}

CAboutDlg::CAboutDlg(const std::string& versionText, QWidget* parent) : QDialog(parent)
{
    buildDialog(this, kTemplate, [this](const ControlTemplate& c, QWidget* owner) -> QWidget* {
        const QString text = QString::fromUtf8(c.text ? c.text : "");
        switch (c.id) {
        case kIdAboutTitle: return title_ = new CStyledLabel(text, owner);
        case kIdHomePageLink: return homePage_ = new CLinkLabel(text, owner);
        case kIdSupportLink: return support_ = new CLinkLabel(text, owner);
        default: return nullptr;
        }
    });
    for (const ControlTemplate& c : kTemplate.controls) {
        if (c.id == kIdHomePageLink || c.id == kIdSupportLink)
            static_cast<CLinkLabel*>(controlById(this, c.id))
                ->setUp(staticTypeOf(c), c.style & StyleCenterVertical);
    }
    title_->setWordWrap(true);
    title_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    title_->setText(QString::fromStdString(aboutTitle(versionText)));
    homePage_->SetLinkTarget(QString::fromUtf8(kHomePageAddress));
    homePage_->SetUnderlineMode(1);
    support_->SetLinkTarget(QString::fromUtf8(kSupportAddress));
    support_->SetUnderlineMode(1);
    skinAttachWindow(homePage_);
    skinAttachWindow(support_);

    connect(control<QPushButton>(this, kIdOk), &QPushButton::clicked, this, &QDialog::accept);
    control<QPushButton>(this, kIdOk)->setFocus();
}

}  // namespace quelvo
