#pragma once

#include <QString>

// The release notes shown in the release-notes window: the "CHANGELOG" Markdown resource
// (":/CHANGELOG.md"), read once per run, with its preamble dropped.
namespace ChangelogText {

// Shown when the resource is missing or is not UTF-8.
QString fallbackText();
// The resource's text, or the fallback; read on first use and kept for the run.
const QString& rawText();
// rawText() trimmed.
const QString& trimmedText();

// Drops a "# " title and whatever precedes the first "## " release heading (only when the text
// starts with such a title and has such a heading), then white space at both ends.
QString trimmed(const QString& raw);
// The text of a resource file, or the fallback when it can't be read as UTF-8.
QString readResource(const QString& path);

}  // namespace ChangelogText
