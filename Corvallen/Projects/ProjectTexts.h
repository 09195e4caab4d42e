#pragma once

#include <QList>
#include <QLocale>
#include <QString>

class Component;
class Project;
class ProjectComponent;

// The composed texts of the project views. Summary lines are plain text (not translated); only
// their amounts follow the locale.
namespace ProjectTexts {

// "1 part", "3 parts": the count and the noun, with a plain English "s" unless it is one.
QString counted(qint64 n, const QString& noun);

// The project's name, or "Untitled Project" when it is empty.
QString displayName(const Project* project);

// A name of nothing but white space is no name at all: it would show as an empty, unclickable
// row and header. Clears such a name (other names stay exactly as typed); true when it did.
bool clearBlankName(Project* project);

// "3 parts · 12 items" for the parts-list lines (quantities summed without overflow).
QString partsSummary(const QList<ProjectComponent*>& lines);
QString partsSummary(qsizetype parts, qint64 items);

// Category and manufacturer, then location · bin, joined with " — ", empty pieces left out.
QString detailLine(const Component* component);

// "5 pcs in stock", negative figures as they are.
QString stockText(const Component* component);

// "to <project name>" or "to project" for an unnamed project.
QString projectCaption(const Project* project);

// The name an export proposes: the project's name (verbatim) or "Project", then the suffix.
QString exportFileName(const Project* project, const QString& suffix);
inline const QString projectSheetSuffix = QStringLiteral(" — Project Sheet.pdf");
inline const QString quoteSuffix = QStringLiteral(" — Quote.pdf");

// A date without time, abbreviated in the locale's own order ("7 Dec 2026", "Dec 7, 2026").
QString abbreviatedDate(const QDate& date, const QLocale& locale = QLocale());

// "Parts cost £12.50 · resell £20.00 · margin £7.50 · labour £30.00"
QString marginLine(const Project* project, const QString& currencyCode, const QLocale& locale = QLocale());

}  // namespace ProjectTexts
