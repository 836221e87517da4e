#include "menu/TextField.h"

#include "editor/EditorMode.h"
#include "editor/UndoHistory.h"
#include "menu/MenuPanel.h"
#include "menu/MenuSystem.h"
#include "menu/ModelMenuView.h"
#include "tests/menu/MenuTestEngine.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
// An editor whose model menu holds one extra field over the 3D view, and the commits it saw.
struct FieldTest
{
    FieldTest()
    {
        field.reset(new TextField(*test.editor->menuSystem->modelMenuView));
        field->panel->targetPosition = Ogre::Vector3(600, 300, 0);
        field->panel->snapToTarget();
        field->onCommit = [this](const std::string& text) { commits.push_back(text); };
        field->setText("old");
        test.step();
    }
    ~FieldTest() { field.reset(); }

    void key(OIS::KeyCode code, uint32_t text = 0) { test.editor->keyPressed({code, text}); }
    void type(const std::string& text)
    {
        for (unsigned char c : text)
            key(OIS::KC_A, c);
    }
    void clickElsewhere() { test.clickAt(Ogre::Vector3(900, 700, 0)); }
    std::string shown() const { return EditorMenuTestEngine::captionOf(field->panel); }

    EditorMenuTestEngine test;
    std::unique_ptr<TextField> field;
    std::vector<std::string> commits;
};
} // namespace

TEST(TextField, TakesEveryKeyWhileFocusedAndCommitsOnEnter)
{
    FieldTest t;
    t.test.click(t.field->panel);
    ASSERT_TRUE(t.field->hasFocus());
    EXPECT_EQ(t.shown(), "old|");

    // No key command runs: X would switch mirror editing on, 2 change nothing without skeleton.
    t.key(OIS::KC_X, 'x');
    EXPECT_FALSE(t.test.editor->mirror.isOn());
    t.key(OIS::KC_BACK);
    t.key(OIS::KC_BACK);
    t.key(OIS::KC_UNASSIGNED, 0xE9);   // é, Latin-1
    t.key(OIS::KC_UNASSIGNED, 0x4E2D); // not Latin-1: refused
    t.key(OIS::KC_UNASSIGNED, 7);      // a control character: refused
    t.key(OIS::KC_UNASSIGNED, 0x9F);   // neither
    t.key(OIS::KC_HOME);
    t.type("N");
    t.key(OIS::KC_END);
    t.key(OIS::KC_LEFT);
    t.type("!");
    EXPECT_EQ(t.field->getText(), "No!\xE9");
    EXPECT_EQ(t.shown(), "No!|\xC3\xA9"); // the caption is UTF-8
    EXPECT_TRUE(t.commits.empty());

    t.type(std::string(100, 'a'));
    EXPECT_EQ(t.field->getText().size(), TextField::MAX_LENGTH);

    t.key(OIS::KC_RETURN);
    EXPECT_FALSE(t.field->hasFocus());
    ASSERT_EQ(t.commits.size(), 1u);
    EXPECT_EQ(t.commits[0], t.field->getText());
    EXPECT_EQ(t.shown().find('|'), std::string::npos);

    // Keys are commands again.
    t.key(OIS::KC_X, 'x');
    EXPECT_TRUE(t.test.editor->mirror.isOn());
}

TEST(TextField, EscapeRestoresAndAPressElsewhereCommitsOnlyAChange)
{
    FieldTest t;
    t.test.click(t.field->panel);
    t.type("er");
    t.key(OIS::KC_ESCAPE);
    EXPECT_FALSE(t.field->hasFocus());
    EXPECT_EQ(t.field->getText(), "old");
    EXPECT_EQ(t.shown(), "old");

    // Focused and left unchanged: nothing to commit.
    t.test.click(t.field->panel);
    t.clickElsewhere();
    EXPECT_FALSE(t.field->hasFocus());

    t.test.click(t.field->panel);
    t.type("er");
    const size_t steps = t.test.editor->history->size();
    t.clickElsewhere();
    EXPECT_FALSE(t.field->hasFocus());
    EXPECT_EQ(t.commits, std::vector<std::string>{"older"});
    // The press went on to the view as usual: a press and release on the 3D view is no change.
    EXPECT_EQ(t.test.editor->history->size(), steps);
}
