#include "CommandContext.h"

#include "Qlk.h"

QString CommandContext::folder() const {
    return selectedFolder >= 0 && selectedFolder < 3 ? Qlk::S.JavaFileFolder[selectedFolder] : QString();
}
