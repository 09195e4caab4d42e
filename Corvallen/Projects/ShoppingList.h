#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class Component;
class Project;
class ProjectComponent;

// The CSV of the parts a project is short of: components whose free stock is below zero, each
// with the whole shortfall to buy. UTF-8 without a byte-order mark, LF line ends.
namespace ShoppingList {

inline constexpr char header[] = "name,part_number,manufacturer,needed,in_stock\n";

// One row of the list: what it needs of a component, copied so that the file can be made off
// the main thread.
struct Item {
    QString name;
    QString partNumber;
    QString manufacturer;
    qint64 inStock = 0;
};
Item item(const Component& component);

// The components of the lines (in the lines' order) whose qty is below zero.
QList<Item> shortItems(const QList<ProjectComponent*>& lines);
bool hasShortPart(const QList<ProjectComponent*>& lines);

// A text field as CSV writes it: quoted (inner quotes doubled) when it holds a comma, a double
// quote, a line feed or a carriage return (which readers drop or take as a line end when it
// stands unquoted); unchanged otherwise. A text that a spreadsheet would take as a formula (it
// starts with "=", "+", "-", "@", a tab or a carriage return) gets a leading apostrophe, so
// opening the list never runs what a part's name or maker smuggled in.
QString escapeField(const QString& text);

// The header line and one row per item. Safe on any thread.
QByteArray csv(const QList<Item>& shortOnes);

// "<project name or Project> — shopping list.csv"
QString proposedFileName(const Project* project);

// Writes the bytes to the path atomically (the old file, if any, stays intact until the new one
// is complete). Returns an empty string on success, otherwise the reason.
QString write(const QString& path, const QByteArray& bytes);

}  // namespace ShoppingList
