#include "Corvallen/Sync/SyncPrompts.h"

namespace SyncPrompts {

namespace {
// Function-local statics: the views install theirs during static initialisation.
FolderChooser& chooser()
{
    static FolderChooser f;
    return f;
}
WholeVolumeQuestion& wholeVolume()
{
    static WholeVolumeQuestion f;
    return f;
}
LargeBatchQuestion& largeBatch()
{
    static LargeBatchQuestion f;
    return f;
}
}  // namespace

void setFolderChooser(FolderChooser f) { chooser() = std::move(f); }
void setWholeVolumeQuestion(WholeVolumeQuestion f) { wholeVolume() = std::move(f); }
void setLargeBatchQuestion(LargeBatchQuestion f) { largeBatch() = std::move(f); }

std::optional<QString> chooseFolder(const QString& startFolder)
{
    return chooser() ? chooser()(startFolder) : std::nullopt;
}

bool confirmWholeVolume(const QString& folderName) { return wholeVolume() ? wholeVolume()(folderName) : false; }

bool confirmLargeBatch(qint64 count, const QString& locationName)
{
    return largeBatch() ? largeBatch()(count, locationName) : true;
}

}  // namespace SyncPrompts
