#pragma once

#include "editor/QueryFlags.h"
#include "editor/Voxel.h"
#include "editor/VoxelModel.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/TempFolder.h"
#include "tests/editor/EditorTestFixture.h"

#include <random>
#include <string>
#include <vector>

// The sample character, saving into a folder of its own.
class SampleSession : public EditorTestFixture
{
public:
    explicit SampleSession(const std::string& name) : folder("bramblewick-" + name)
    {
        loadSample();
        editor->modelFileName = folder.file("model.xml");
        editor->animationFileName = folder.file("animations.xml");
    }

    // Both files as a save writes them now.
    std::string save()
    {
        editor->save();
        return readFile(editor->modelFileName) + "\n--\n" + readFile(editor->animationFileName);
    }
    AnimateViewMode* animateView()
    {
        if (!dynamic_cast<AnimateViewMode*>(editor->viewMode))
            press(OIS::KC_2);
        return dynamic_cast<AnimateViewMode*>(editor->viewMode);
    }
    int anyVoxel(std::mt19937& random)
    {
        return editor->voxels.empty() ? -1 : int(random() % editor->voxels.size());
    }
    // A key with left Ctrl held.
    void control(OIS::KeyCode code, bool shift = false)
    {
        input->held = {OIS::KC_LCONTROL};
        if (shift)
            input->held.insert(OIS::KC_LSHIFT);
        press(code);
        input->held.clear();
    }

    TempFolder folder;
};

// One of the changes a user can make, through the editor's own paths, as one step. With
// everything, also the changes that are no step or cost a lot: mirror editing on and off, M,
// undo and redo, key O.
inline void randomChange(SampleSession& session, std::mt19937& random, bool everything = false)
{
    EditorMode* editor = session.editor;
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    if (editor->voxels.empty())
        editor->addVoxel(0, 0, 0, Ogre::ColourValue::White, QUERY_VOXEL);
    switch (pick(everything ? 14 : 9))
    {
    case 0: // a sculpt stroke, mirrored while mirror editing is on
        editor->asStep(
            "",
            [&]
            {
                for (int i = pick(5); i >= 0; --i)
                {
                    const Voxel::Cell cell{pick(30) - 15, pick(30), pick(20) - 10};
                    editor->addVoxel(cell.x, cell.y, cell.z, Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1),
                                     QUERY_NEW_VOXEL);
                    if (editor->mirror.isOn())
                    {
                        const Voxel::Cell twin = EditorMode::mirroredCell(cell);
                        editor->addVoxel(twin.x, twin.y, twin.z,
                                         Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1), QUERY_NEW_VOXEL);
                    }
                }
            });
        break;
    case 1: // a right-click removal, with the twin while mirror editing is on
        editor->asStep("",
                       [&]
                       {
                           const int index = session.anyVoxel(random);
                           const int twin = editor->mirrorTwin(index);
                           editor->removeVoxel(std::max(index, twin));
                           if (twin >= 0)
                               editor->removeVoxel(std::min(index, twin));
                       });
        break;
    case 2: // a paint stroke passing some voxels more than once
        editor->asStep("",
                       [&]
                       {
                           const int first = session.anyVoxel(random);
                           for (int dab = 0; dab < 12; ++dab)
                               editor->paintVoxel(
                                   (first + pick(4)) % int(editor->voxels.size()),
                                   Ogre::ColourValue(pick(5) * 0.25f, 0.5f, pick(3) * 0.5f, 1));
                       });
        break;
    case 3: // a selection dragged along an axis over other voxels and a little back, released
        editor->asStep("",
                       [&]
                       {
                           std::vector<Voxel*> chosen;
                           for (int i = 0; i < 20; ++i)
                               chosen.push_back(editor->voxels[size_t(session.anyVoxel(random))]);
                           std::vector<Voxel::Cell> start;
                           for (Voxel* voxel : chosen)
                               start.push_back(voxel->gridPosition);
                           const int axis = pick(3);
                           // Mirrored, the cells left of the plane go the other way along X.
                           const bool mirrored = editor->mirror.isOn() && axis == 0;
                           for (int offset : {1, 3, 2})
                               for (size_t i = 0; i < chosen.size(); ++i)
                               {
                                   Voxel::Cell cell = start[i];
                                   (axis == 0   ? cell.x
                                    : axis == 1 ? cell.y
                                                : cell.z) +=
                                       mirrored && start[i].x < 0 ? -offset : offset;
                                   editor->moveVoxel(chosen[i], cell.x, cell.y, cell.z);
                               }
                           editor->model.settle(chosen);
                       });
        break;
    case 4: // as key O removes voxels: the rest is bound again
        editor->asStep("hidden voxel removal",
                       [&]
                       {
                           std::vector<int> hidden;
                           for (int i = 0; i < 30; ++i)
                               hidden.push_back(session.anyVoxel(random));
                           editor->removeVoxels(hidden);
                           editor->rebindSkeleton();
                           editor->resetToRestPose();
                       });
        break;
    case 5: // key R or N, in either view
        session.press(pick(2) ? OIS::KC_R : OIS::KC_N);
        break;
    case 6: // a pose stored at the release of a drag
    {
        AnimateViewMode* view = session.animateView();
        if (!view)
            break;
        std::vector<Ogre::Vector3> pose;
        for (Verlet::Particle* particle : editor->skeleton->system->particles)
            pose.push_back(particle->position + Ogre::Vector3(0, pick(3) * 0.5f, 0));
        editor->asStep("",
                       [&] { editor->setKeyFrame(view->currentAnimation, pick(4) * 0.25f, pose); });
        break;
    }
    case 7: // Delete on a key frame, or a copied pose pasted (mirrored or not)
    {
        AnimateViewMode* view = session.animateView();
        if (!view)
            break;
        view->selectAnimation(pick(int(editor->animations.size())));
        const Animation& animation = editor->animations[size_t(view->currentAnimation)];
        auto key = animation.frames.begin();
        std::advance(key, pick(int(animation.frames.size())));
        view->setTime(key->first);
        if (pick(2))
        {
            session.press(OIS::KC_DELETE);
            break;
        }
        session.control(OIS::KC_C);
        view->setTime(pick(4) * 0.25f);
        session.control(OIS::KC_V, pick(2) != 0);
        break;
    }
    case 8: // left Ctrl with Down: a new animation
        if (session.animateView())
            session.control(OIS::KC_DOWN);
        break;
    case 9: // key X
        session.press(OIS::KC_X);
        break;
    case 10: // key M: no step
        session.press(OIS::KC_M);
        break;
    case 11:
        editor->undo();
        break;
    case 12:
        editor->redo();
        break;
    default: // key O, now and then: it casts 240,000 sight lines
        if (pick(8) == 0)
            session.press(OIS::KC_O);
        else
            session.press(OIS::KC_1);
        break;
    }
}
