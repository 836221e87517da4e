// bramblewick info: what a model holds, and what is wrong with it.

#include "cli/Commands.h"

#include "skeleton/ModelDocument.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <climits>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <tuple>

namespace
{

struct Options
{
    std::string modelFile;
    std::string animationFile;
};

// Sticks whose ends are this close have no direction to bind to.
const float ZERO_LENGTH = 0.0001f;

std::string cellText(const ModelDocument::Voxel& voxel)
{
    return "(" + std::to_string(voxel.x) + ", " + std::to_string(voxel.y) + ", " +
           std::to_string(voxel.z) + ")";
}

void printCounts(const ModelDocument& document, std::ostream& out)
{
    std::set<std::tuple<float, float, float, float>> colours;
    for (const ModelDocument::Voxel& voxel : document.voxels)
    {
        colours.emplace(voxel.colour.r, voxel.colour.g, voxel.colour.b, voxel.colour.a);
    }
    out << "voxels: " << document.voxels.size() << "\n"
        << "colours: " << colours.size() << "\n"
        << "particles: " << document.particles.size() << "\n"
        << "sticks: " << document.sticks.size() << "\n"
        << "groups: " << document.groups.size() << "\n";

    if (!document.voxels.empty())
    {
        // The cubes' extent in the editor's units: a voxel fills its cell to the next one.
        int low[3] = {INT_MAX, INT_MAX, INT_MAX};
        int high[3] = {INT_MIN, INT_MIN, INT_MIN};
        for (const ModelDocument::Voxel& voxel : document.voxels)
        {
            const int cell[3] = {voxel.x, voxel.y, voxel.z};
            for (int axis = 0; axis < 3; ++axis)
            {
                low[axis] = std::min(low[axis], cell[axis]);
                high[axis] = std::max(high[axis], cell[axis]);
            }
        }
        out << "bounding box: x " << low[0] << " to " << int64_t(high[0]) + 1 << ", y " << low[1]
            << " to " << int64_t(high[1]) + 1 << ", z " << low[2] << " to " << int64_t(high[2]) + 1
            << "\n";
    }

    out << "animations: " << document.animations.size() << "\n";
    for (size_t i = 0; i < document.animations.size(); ++i)
    {
        const Animation& animation = document.animations[i];
        out << "  " << i + 1 << " \"" << animation.comment << "\": " << animation.frames.size()
            << " key frames";
        if (!animation.frames.empty())
        {
            out << " from " << animation.frames.begin()->first << " to "
                << animation.frames.rbegin()->first << " s";
        }
        out << ", end " << animation.end << " s, " << (animation.loop ? "loops" : "plays once")
            << "\n";
    }
}

std::vector<std::string> findProblems(const ModelDocument& document)
{
    // What the reader mended comes first: a file that needed mending is a problem.
    std::vector<std::string> problems = document.problems;
    const size_t particleCount = document.particles.size();

    for (size_t i = 0; i < document.animations.size(); ++i)
    {
        for (const auto& [time, pose] : document.animations[i].frames)
        {
            if (pose.size() != particleCount)
            {
                std::ostringstream text;
                text << "animation " << i + 1 << " has a key frame at " << time << " s with "
                     << pose.size() << " positions, but the model has " << particleCount
                     << " particles";
                problems.push_back(text.str());
            }
        }
    }

    for (size_t i = 0; i < document.sticks.size(); ++i)
    {
        const ModelDocument::Stick& stick = document.sticks[i];
        const int a = document.findParticle(stick.a);
        const int b = document.findParticle(stick.b);
        if (a >= 0 && b >= 0 &&
            document.particles[a].position.distance(document.particles[b].position) <= ZERO_LENGTH)
        {
            problems.push_back("stick " + std::to_string(i) + " (particles " +
                               std::to_string(stick.a) + " and " + std::to_string(stick.b) +
                               ") has zero length");
        }
    }

    // A model without particles keeps its voxels in group 0 and places nothing.
    if (particleCount == 0)
    {
        return problems;
    }
    std::vector<bool> bound(document.voxels.size(), false);
    for (const ModelDocument::Group& group : document.groups)
    {
        if (group.constraintIndex < 0 ||
            static_cast<size_t>(group.constraintIndex) >= document.sticks.size())
        {
            problems.push_back("a voxel group is bound to stick " +
                               std::to_string(group.constraintIndex) + ", but the skeleton has " +
                               std::to_string(document.sticks.size()) + " sticks");
            continue;
        }
        for (int voxel : group.voxels)
        {
            bound[voxel] = true;
        }
    }
    const size_t unbound = size_t(std::count(bound.begin(), bound.end(), false));
    if (unbound > 0)
    {
        const size_t first = size_t(std::find(bound.begin(), bound.end(), false) - bound.begin());
        problems.push_back(std::to_string(unbound) + (unbound == 1 ? " voxel is" : " voxels are") +
                           " bound to no stick (the first at " + cellText(document.voxels[first]) +
                           ")");
    }
    return problems;
}

} // namespace

void addInfoCommand(CLI::App& app, int& status)
{
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "info", "Print the counts, the bounding box and every problem found in a model and its "
                "animations. Exit status: 0 fine, 1 problems found, 2 a file could not be read.");
    command->add_option("MODEL", options->modelFile, "the model file (.xml)")->required();
    command->add_option("ANIMATIONS", options->animationFile, "the animation file (.xml)");
    command->callback(
        [options, &status]
        {
            ModelDocument document;
            if (!readDocument(options->modelFile, options->animationFile, document))
            {
                status = STATUS_UNREADABLE;
                return;
            }
            std::cout << "model: " << options->modelFile << "\n";
            if (!options->animationFile.empty())
            {
                std::cout << "animation file: " << options->animationFile << "\n";
            }
            printCounts(document, std::cout);
            const std::vector<std::string> problems = findProblems(document);
            std::cout << "problems: " << problems.size() << "\n";
            for (const std::string& problem : problems)
            {
                std::cout << "  " << problem << "\n";
            }
            status = problems.empty() ? 0 : STATUS_PROBLEM;
        });
}
