#pragma once

#include "Corvallen/Model/DomainError.h"

#include <QObject>
#include <QString>

#include <optional>

class ComponentFileDownload;

// The folder of the files attached to components (photo, datasheet, manual) and the operations
// on it. A stored file is named by a fresh upper-case UUID text plus "." and the imported file's
// lower-case extension (the UUID alone without an extension); the folder keeps no index, a file
// belongs to whichever component field holds its name.
namespace ComponentFileStore {

// The domain and code of the store's own errors.
inline const QString errorDomain = QStringLiteral("Corvallen");
constexpr int errorCode = -1;
// An error of the store's own: domain "Corvallen", code -1, the message as its description.
DomainError componentFileError(const QString& message);

// $XDG_DATA_HOME/Corvallen/components. Worked out once per process and created then (a failure
// to create it is ignored). Safe from any thread.
QString componentsFolderURL();

// Copies a local file into the folder under a fresh name and returns that name. Throws the file
// system's error (domain "QFileDevice") when the copy fails; the source stays in place. Safe
// from any thread, so a caller may run a large copy off the main thread.
QString importComponentFile(const QString& sourcePath);

// Starts downloading a web link (http or https, blanks around it ignored) into the folder; the
// returned job reports the stored name or the error through its finished() signal. Main thread.
ComponentFileDownload* downloadComponentFile(const QString& link, QObject* parent = nullptr);

// Limits of a download: the largest file taken, and how long a transfer may go without
// receiving anything before it is given up.
struct DownloadLimits {
    qint64 maxBytes = qint64(200) * 1024 * 1024;
    int transferTimeoutMs = 30000;
};
DownloadLimits downloadLimits();
void setDownloadLimits(const DownloadLimits& limits);

// The path of a stored file in the folder, or empty when the name is not one plain file name
// ("../x", "a/b", an absolute path): such a name counts as a missing file everywhere it is used
// (open, preview, removal), so a record can never reach outside the folder.
QString storedFilePath(const QString& name);

// Removes a stored file. A name that is not one plain file name counts as missing; a missing
// file or a failed removal is ignored.
void deleteComponentFile(const QString& name);

// Opens an http or https link (scheme in any letter case) in the user's browser. Anything
// else, or text that is not a link, is ignored. True when the link was handed on.
bool openWebLink(const QString& link);

// The extension a download without one in its link takes from the response's Content-Type:
// the first of "pdf", "png", "jpeg" (as "jpg"), "jpg", "gif", "webp" that the value contains,
// compared case-sensitively; empty for anything else or no value.
QString fileExtension(const std::optional<QString>& contentType);

// The extension a download takes from its link: the path's extension in lower case, used only
// when it is 1 to 10 ASCII letters or digits and names no program (see isProgramExtension);
// empty otherwise, and the Content-Type decides.
QString linkExtension(const QString& urlPath);

// Whether a file with this extension (any letter case) would be run rather than shown when
// handed to the desktop: programs, scripts, installers, desktop entries.
bool isProgramExtension(const QString& extension);

// Whether a stored file is one the desktop would run: by its extension or, for a file whose
// name says nothing, by what its content is. Such files are kept but never opened.
bool isProgramFile(const QString& path);

}  // namespace ComponentFileStore
