// The hint buttons of the main window.
#include "app/frmpelora.h"
#include "hints/hintwindow.h"

#include <QPlainTextEdit>

void FrmPelora::cmdHint_Click(const QString &buttonName)
{
    HintFormName = objectName();
    HintCtlName = buttonName;
    HintFormTitle = windowTitle();
    if (!m_hint) {
        // Loaded once per opening: while it is open it keeps the pair it was opened with.
        m_hint = new Hint(m_store->workName(), *m_services.presenter, HintFormName, HintCtlName,
                          HintFormTitle, this);
        m_hint->show();
        m_hint->txtContents->setFocus();
    } else {
        m_hint->show();
    }
    m_hint->raise();
    m_hint->activateWindow();
}

Hint *FrmPelora::hintWindow() const
{
    return m_hint;
}
