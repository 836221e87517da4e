#pragma once

#include "skeleton/AnimateToolMode.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using Pose = std::vector<Ogre::Vector3>;

// The editor with the given particles, each joined to the next by a stick, and one animation
// ending at 1: the rest pose at 0 and every particle moved by `lift` at 1. enterAnimateView opens
// the animate view with the animate tool.
class PoseWorld : public EditorTestFixture
{
public:
    PoseWorld(const std::vector<std::string>& names, const Pose& points,
              const std::vector<float>& invMasses, float stickLength, const Ogre::Vector3& lift)
        : invMasses(invMasses)
    {
        for (size_t i = 0; i < names.size(); ++i)
            editor->skeleton->addEntry(points[i], int(i), names[i], 0, invMasses[i]);
        for (size_t i = 0; i + 1 < names.size(); ++i)
            editor->skeleton->system->addStick(particle(int(i)), particle(int(i) + 1),
                                               stickLength);
        editor->resetToRestPose();
        rest = moved = pose();
        for (Ogre::Vector3& position : moved)
            position += lift;
        Animation animation;
        animation.frames = {{0.0f, rest}, {1.0f, moved}};
        animation.end = 1.0f;
        editor->animations = {animation};
    }
    void enterAnimateView()
    {
        press(OIS::KC_2);
        view = dynamic_cast<AnimateViewMode*>(editor->viewMode);
        ASSERT_NE(view, nullptr);
        tool = install(new AnimateToolMode());
    }

    Verlet::Particle* particle(int index) { return editor->skeleton->system->particles[index]; }
    Pose& frame(float time) { return editor->animations[0].frames.at(time); }
    // The shown pose, in model space.
    Pose pose()
    {
        Pose positions;
        for (Verlet::Particle* particle : editor->skeleton->system->particles)
            positions.push_back(editor->toModelSpace(particle->position));
        return positions;
    }
    void key(OIS::KeyCode code, std::set<int> held = {})
    {
        input->held = held;
        press(code);
        input->held.clear();
    }

    std::vector<float> invMasses;
    Pose rest, moved;
    AnimateViewMode* view = nullptr;
    AnimateToolMode* tool = nullptr;
    LogCapture log;
};
