#include "app/Input.h"

#include "app/KeyEventTransform.h"
#include "app/KeyListener.h"
#include "app/MouseEventTransform.h"
#include "app/MouseListener.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
class RecordingTarget : public KeyListener, public MouseListener
{
public:
    bool keyPressed(const KeyEvent& event) override
    {
        pressed.push_back(event);
        return answer;
    }
    bool keyReleased(const KeyEvent& event) override
    {
        released.push_back(event);
        return answer;
    }
    bool mouseMoved(const Ogre::Vector2& delta) override
    {
        moves.push_back(delta);
        return answer;
    }
    bool mousePressed(const OIS::MouseButtonID& button) override
    {
        buttons.push_back(button);
        return answer;
    }
    bool mouseReleased(const OIS::MouseButtonID& button) override
    {
        buttons.push_back(button);
        return answer;
    }

    bool answer = false;
    std::vector<KeyEvent> pressed;
    std::vector<KeyEvent> released;
    std::vector<Ogre::Vector2> moves;
    std::vector<OIS::MouseButtonID> buttons;
};
} // namespace

TEST(InputAdapters, PassCodesDeltasAndButtonsUnchangedAndIgnoreEventsWithoutTarget)
{
    KeyEventTransform keys;
    MouseEventTransform mouse;
    const OIS::KeyEvent keyA(nullptr, OIS::KC_A, 97);
    OIS::MouseState state;
    state.X.rel = 3;
    state.Y.rel = -2;
    state.Z.rel = 120; // the wheel is not passed on
    const OIS::MouseEvent motion(nullptr, state);

    EXPECT_TRUE(keys.keyPressed(keyA)) << "no target: ignored and handled";
    EXPECT_TRUE(mouse.mouseMoved(motion));

    RecordingTarget target;
    keys.target = &target;
    mouse.target = &target;
    EXPECT_FALSE(keys.keyPressed(keyA)) << "the target's answer is passed back";
    EXPECT_FALSE(keys.keyReleased(OIS::KeyEvent(nullptr, OIS::KC_A, 0)));
    ASSERT_EQ(target.pressed.size(), 1u);
    EXPECT_EQ(target.pressed[0].key, OIS::KC_A);
    EXPECT_EQ(target.pressed[0].key, 30);
    EXPECT_EQ(target.pressed[0].text, 97u);
    ASSERT_EQ(target.released.size(), 1u);
    EXPECT_EQ(target.released[0].key, 30);

    mouse.mouseMoved(motion);
    mouse.mousePressed(motion, OIS::MB_Right);
    mouse.mouseReleased(motion, OIS::MB_Middle);
    ASSERT_EQ(target.moves.size(), 1u);
    EXPECT_EQ(target.moves[0], Ogre::Vector2(3.0f, -2.0f));
    EXPECT_EQ(target.buttons, (std::vector<OIS::MouseButtonID>{OIS::MB_Right, OIS::MB_Middle}));
}

TEST(Input, WithoutDevicesNothingIsHeld)
{
    Input input;
    EXPECT_FALSE(input.isModifierDown(0));
    EXPECT_FALSE(input.isModifierDown(1));
    EXPECT_FALSE(input.isModifierDown(2));
    EXPECT_FALSE(input.isKeyDown(OIS::KC_W));
    input.capture(); // no devices: nothing to read, must not crash
    EXPECT_EQ(input.mouseX, 0.0f);
}
