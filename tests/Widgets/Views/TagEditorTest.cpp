// The comma-separated tag editor: pills for the tags, adding and removing through the widgets,
// and the text written back normalised.
#include "Corvallen/Widgets/Views/FlowLayout.h"
#include "Corvallen/Widgets/Views/StringTagPill.h"
#include "Corvallen/Widgets/Views/TagEditor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

QStringList pillNames(StringTagEditor& editor)
{
    QStringList names;
    for (int i = 0; i < editor.pillLayout()->count(); ++i)
        if (auto* pill = qobject_cast<StringTagPill*>(editor.pillLayout()->itemAt(i)->widget()))
            names.append(pill->name());
    return names;
}

void pressReturn(QLineEdit* field)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(field, &press);
}

TEST(StringTagEditor, ShowsTagsAndAddsNormalised)
{
    StringTagEditor editor(QStringLiteral(" Foo, bar ,,BAZ,  "));
    EXPECT_EQ(pillNames(editor), (QStringList{"foo", "bar", "baz"}));
    QStringList written;
    QObject::connect(&editor, &StringTagEditor::rawChanged, &editor, [&](const QString& raw) { written << raw; });

    editor.entryField()->setText(QStringLiteral("qux"));
    pressReturn(editor.entryField());
    EXPECT_EQ(written, QStringList{"foo,bar,baz,qux"});
    EXPECT_EQ(editor.raw(), QStringLiteral("foo,bar,baz,qux"));
    EXPECT_EQ(editor.input(), QString());
    EXPECT_EQ(pillNames(editor), (QStringList{"foo", "bar", "baz", "qux"}));
}

TEST(StringTagEditor, AddButtonFollowsTheInput)
{
    StringTagEditor editor(QStringLiteral(" Foo ,bar"));
    EXPECT_FALSE(editor.addButton()->isEnabled());
    editor.entryField()->setText(QStringLiteral(" \t "));
    EXPECT_FALSE(editor.addButton()->isEnabled());
    editor.entryField()->setText(QStringLiteral("Foo"));
    EXPECT_TRUE(editor.addButton()->isEnabled());

    int writes = 0;
    QObject::connect(&editor, &StringTagEditor::rawChanged, &editor, [&] { ++writes; });
    editor.addButton()->click();  // already there
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(editor.raw(), QStringLiteral(" Foo ,bar"));
    EXPECT_EQ(editor.input(), QString());
    EXPECT_FALSE(editor.addButton()->isEnabled());

    editor.setInput(QStringLiteral("   "));
    editor.addInput();  // Return on a blank field
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(editor.input(), QString());
}

TEST(StringTagEditor, RemoveMarkRemovesEveryOccurrence)
{
    StringTagEditor editor(QStringLiteral("a,b,A,c"));
    editor.resize(400, 200);
    editor.show();
    QStringList written;
    QObject::connect(&editor, &StringTagEditor::rawChanged, &editor, [&](const QString& raw) { written << raw; });

    auto* pill = qobject_cast<StringTagPill*>(editor.pillLayout()->itemAt(0)->widget());
    ASSERT_TRUE(pill);
    ASSERT_EQ(pill->name(), QStringLiteral("a"));
    pill->resize(pill->sizeHint());
    const QPoint at = pill->removeRect().center();
    QMouseEvent press(QEvent::MouseButtonPress, at, pill->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(pill, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, pill->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(pill, &release);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(written, QStringList{"b,c"});
    EXPECT_EQ(pillNames(editor), (QStringList{"b", "c"}));

    editor.remove(QStringLiteral("b"));
    editor.remove(QStringLiteral("c"));
    EXPECT_EQ(editor.raw(), QString());
    EXPECT_TRUE(pillNames(editor).isEmpty());
}

TEST(StringTagEditor, OutsideTextChangeRebuildsWithoutWritingBack)
{
    StringTagEditor editor;
    int writes = 0;
    QObject::connect(&editor, &StringTagEditor::rawChanged, &editor, [&] { ++writes; });
    EXPECT_TRUE(pillNames(editor).isEmpty());
    editor.setRaw(QStringLiteral("x, Y"));
    EXPECT_EQ(pillNames(editor), (QStringList{"x", "y"}));
    EXPECT_EQ(editor.tagList(), (QStringList{"x", "y"}));
    EXPECT_EQ(writes, 0);
}

}  // namespace
