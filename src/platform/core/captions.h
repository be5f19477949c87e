#pragma once

// The captions of the program's message boxes, and the message of a save
// that went through.  The windows' warnings carry the program's title
// instead (MsgCaption).

#include <QString>

namespace platform {

// "提示": errors a window reports, and notes.
inline const QString NoteCaption = QStringLiteral("提示");
// "请注意！": questions that want attention (unsaved changes, overwriting).
inline const QString AttentionCaption = QStringLiteral("请注意！");
// "提示信息": questions and notices about the work in hand.
inline const QString PromptCaption = QStringLiteral("提示信息");
// "记录已经更改,是否保存？": asked on leaving a window with unsaved changes.
inline const QString UnsavedQuestion = QStringLiteral("记录已经更改,是否保存？");
// "储存成功！": what a window says after a save.
inline const QString SavedMessage = QStringLiteral("储存成功！");

} // namespace platform
