#include "shell/AccountWindow.h"

#include "shell/AccountForm.h"

#include <QVBoxLayout>

namespace quillcraft {

AccountWindow::AccountWindow(AccountStore& account, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Account"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // "Done" closes the window; it stays alive for its owner to replace.
    m_form = new AccountForm(account, [this] { close(); });
    m_form->setFixedWidth(contentWidth);
    layout->addWidget(m_form);
    // Fixed to the form's size: the window is not resizable.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace quillcraft
