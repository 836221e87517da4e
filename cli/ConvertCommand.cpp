// bramblewick convert: between the model file and MagicaVoxel's .vox, either way, as the endings
// of the two names say.

#include "cli/Commands.h"

#include "formats/Vox.h"
#include "skeleton/ModelDocument.h"

#include <CLI/CLI.hpp>

#include <OgreString.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

struct Options
{
    std::string input;
    std::string output;
    bool force = false;
};

bool endsWith(const std::string& name, const char* ending)
{
    return Ogre::StringUtil::endsWith(name, ending, true);
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return a == b || std::filesystem::equivalent(a, b, error);
}

// Like the editor's import, an existing file is replaced only when asked; the input is read
// first, so that a file that cannot be read is said to be so whatever the output.
bool refuseToReplace(const std::string& output, bool force, std::ostream& err)
{
    std::error_code error;
    if (force || !std::filesystem::exists(output, error))
        return false;
    err << "bramblewick: \"" << output << "\" exists already; give --force to replace it\n";
    return true;
}

int voxToModel(const std::string& input, const std::string& output, bool force, std::ostream& out,
               std::ostream& err)
{
    std::vector<Vox::Voxel> voxels;
    Vox::ReadReport report;
    try
    {
        voxels = Vox::read(input, &report);
    }
    catch (const std::runtime_error& error)
    {
        err << "bramblewick: " << error.what() << "\n";
        return STATUS_UNREADABLE;
    }
    if (refuseToReplace(output, force, err))
        return STATUS_PROBLEM;
    ModelDocument document;
    document.voxels.reserve(voxels.size());
    for (const Vox::Voxel& voxel : voxels)
        document.voxels.push_back({voxel.x, voxel.y, voxel.z, voxel.colour});
    errno = 0;
    if (!writeModelFile(document, output))
    {
        err << "bramblewick: couldn't write \"" << output << "\""
            << (errno ? std::string(": ") + std::strerror(errno) : "") << "\n";
        return STATUS_PROBLEM;
    }
    out << "wrote " << voxels.size() << " voxels to \"" << output
        << "\", a model without a skeleton\n";
    if (report.framesLeftOut > 0)
    {
        err << "bramblewick: \"" << input << "\" holds an animation of " << report.framesLeftOut + 1
            << " frames; the first is taken and " << report.framesLeftOut
            << (report.framesLeftOut == 1 ? " frame is" : " frames are") << " left out\n";
    }
    return 0;
}

int modelToVox(const std::string& input, const std::string& output, bool force, std::ostream& out,
               std::ostream& err)
{
    ModelDocument document;
    if (!readDocument(input, "", document))
        return STATUS_UNREADABLE;
    if (refuseToReplace(output, force, err))
        return STATUS_PROBLEM;
    if (!document.particles.empty())
    {
        err << "bramblewick: a .vox file holds no skeleton: the " << document.particles.size()
            << " particles and " << document.sticks.size() << " sticks of \"" << input
            << "\" (and any animations) are left out; writing the voxels\n";
    }
    std::vector<Vox::Voxel> voxels;
    voxels.reserve(document.voxels.size());
    for (const ModelDocument::Voxel& voxel : document.voxels)
        voxels.push_back({voxel.x, voxel.y, voxel.z, voxel.colour});
    Vox::WriteReport report;
    try
    {
        report = Vox::write(voxels, output);
    }
    catch (const std::runtime_error& error)
    {
        err << "bramblewick: " << error.what() << "\n";
        return STATUS_PROBLEM;
    }
    out << "wrote " << voxels.size() << " voxels in " << report.colours << " colours to \""
        << output << "\"";
    if (report.models > 1)
        out << " as " << report.models << " models (a .vox model is at most 256 cells a side)";
    out << "\n";
    if (report.changedVoxels > 0)
    {
        out << "a .vox palette holds 255 colours: " << report.changedVoxels
            << " voxels changed colour, by at most " << report.largestChange
            << "/255 in a channel\n";
    }
    return 0;
}

int convertCommand(const std::string& input, const std::string& output, bool force,
                   std::ostream& out, std::ostream& err)
{
    if (sameFile(input, output))
    {
        err << "bramblewick: \"" << output << "\" is the file to read\n";
        return STATUS_USAGE;
    }
    const bool fromVox = endsWith(input, ".vox") && endsWith(output, ".xml");
    const bool toVox = endsWith(input, ".xml") && endsWith(output, ".vox");
    if (!fromVox && !toVox)
    {
        err << "bramblewick: convert reads a .vox file into a model file (.xml) or a model file "
               "into a .vox file; \""
            << input << "\" and \"" << output << "\" are not such a pair\n";
        return STATUS_USAGE;
    }
    return fromVox ? voxToModel(input, output, force, out, err)
                   : modelToVox(input, output, force, out, err);
}

} // namespace

void addConvertCommand(CLI::App& app, int& status)
{
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "convert", "Convert a MagicaVoxel .vox file into a model file, or a model file into a "
                   ".vox file (the voxels only), as the endings of IN and OUT say");
    command->add_option("IN", options->input, "the file to read (.vox or .xml)")->required();
    command->add_option("OUT", options->output, "the file to write (.xml or .vox)")->required();
    command->add_flag("--force", options->force, "replace OUT when it exists already");
    command->callback(
        [options, &status]
        {
            status = convertCommand(options->input, options->output, options->force, std::cout,
                                    std::cerr);
        });
}
