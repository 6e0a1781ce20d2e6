#include "encoding/CProgressDlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace quelvo {

namespace {

using K = ControlKind;

const ControlTemplate kControls[] = {
    {progress_ids::StatusText, K::Label, "Static", 5, 7, 292, 19, StyleGroup | StyleCenterVertical},
    {progress_ids::Bar, K::ProgressBar, nullptr, 12, 32, 279, 12, StyleBorder},
    {kNoId, K::EtchedHLine, nullptr, 7, 54, 291, 1, StyleNone},
    {progress_ids::Cancel, K::PushButton, "Cancel", 216, 60, 55, 15, StyleTabStop},
};

const DialogTemplate kTemplate = {
    progress_ids::Template, "Quelvo", 302, 79, "MS Sans Serif", 8,
    DialogSystemMenu | DialogMinimizeBox, kControls,
};

}  // namespace

const DialogTemplate& progressDialogTemplate()
{
    return kTemplate;
}

CProgressDlg::CProgressDlg(QWidget* owner) : QDialog(owner)
{
    buildDialog(this, kTemplate);
    setModal(false);
    status_ = control<QLabel>(this, progress_ids::StatusText);
    bar_ = control<QProgressBar>(this, progress_ids::Bar);
    bar_->setRange(0, 1000);
    connect(control<QPushButton>(this, progress_ids::Cancel), &QPushButton::clicked, this,
            &CProgressDlg::OnCancel);
    centerOnOwner();
    hide();
}

void CProgressDlg::setStatusText(const QString& text)
{
    status_->setText(text);
}

QString CProgressDlg::statusText() const
{
    return status_->text();
}

void CProgressDlg::setBarRange(int minimum, int maximum)
{
    bar_->setRange(minimum, maximum);
}

void CProgressDlg::setBarPosition(int position)
{
    bar_->setValue(position);
}

int CProgressDlg::barPosition() const
{
    return bar_->value();
}

void CProgressDlg::OnCancel()
{
    setStatusText(QStringLiteral("Cancel processing..."));
    cancelRequested_ = true;
}

void CProgressDlg::centerOnOwner()
{
    QRect area;
    if (QWidget* owner = parentWidget())
        area = owner->window()->frameGeometry();
    else if (QScreen* s = screen())
        area = s->availableGeometry();
    if (area.isValid())
        move(area.center() - QPoint(width() / 2, height() / 2));
}

void CProgressDlg::accept()
{
}

void CProgressDlg::reject()
{
    OnCancel();
}

void CProgressDlg::keyPressEvent(QKeyEvent* e)
{
    // Enter would otherwise reach a focused button or accept().
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void CProgressDlg::closeEvent(QCloseEvent* e)
{
    // The window is never closed by the user; hiding it is the run's business.
    if (isVisible()) {
        e->ignore();
        OnCancel();
        return;
    }
    QDialog::closeEvent(e);
}

}  // namespace quelvo
