#include "ui/widgets/ConfirmDialog.h"

#include <QMessageBox>
#include <QPushButton>

namespace vantrel {

namespace {
std::optional<bool> gNextAnswer;
std::optional<ConfirmDialog::Question> gLastQuestion;
} // namespace

bool ConfirmDialog::ask(QWidget* parent, const Question& question, bool destructive)
{
    gLastQuestion = question;
    if (gNextAnswer) {
        const bool answer = *gNextAnswer;
        gNextAnswer.reset();
        return answer;
    }
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(question.title);
    box.setText(question.title);
    box.setInformativeText(question.text);
    QPushButton* confirm = box.addButton(question.confirmText, QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(question.cancelText, QMessageBox::RejectRole);
    if (destructive)
        confirm->setProperty("role", "destructive");
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == confirm;
}

void ConfirmDialog::setNextAnswer(std::optional<bool> answer) { gNextAnswer = answer; }

std::optional<ConfirmDialog::Question> ConfirmDialog::lastQuestion() { return gLastQuestion; }

} // namespace vantrel
