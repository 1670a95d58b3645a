#include "CommandContext.h"

#include "Qlk.h"

QString CommandContext::folder() const {
    return selectedFolder >= 0 && selectedFolder < Qlk::kFolderCount ? Qlk::S.JavaFileFolder[selectedFolder]
                                                                     : QString();
}
