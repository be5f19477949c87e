#include "printcommand.h"

#include "data/dm.h"
#include "output/fill/printprep.h"
#include "output/fill/printrecord.h"
#include "platform/core/captions.h"
#include "platform/core/seams.h"
#include "printform.h"
#include "shell/mainform.h"

void runPrintCommand(TMainForm &mainForm, TPrintForm &printForm)
{
    if (DM->Qrykjcg.isEmpty())
        return;
    const QString failure = output::closeKnowledgeForms(*DM);
    if (!failure.isEmpty()) {
        platform::messageBox(&mainForm, failure, platform::NoteCaption, platform::Icon::None, platform::Ok);
        return;
    }
    mainForm.UpdatePageStatus();
    if (!mainForm.UpdateCommandState()) {
        // The record is locked: say which page is not complete.
        platform::messageBox(&mainForm, mainForm.IncompleteMessage(), platform::PromptCaption,
                             platform::Icon::Information, platform::Ok);
        return;
    }
    if (DM->Qrykjcg.isEmpty())
        return;
    if (!output::openPrintLists(*DM))
        return;
    printForm.setRecord(output::readPrintRecord(*DM));
    platform::showModal(&printForm);
}
