// bramblewick: the editor's files on the command line, for pipelines and checks. It never opens
// a window or a display connection.

#include "cli/Commands.h"

#include "common/Latin1.h"
#include "skeleton/ModelDocument.h"

#include <CLI/CLI.hpp>

#include <tinyxml.h>

#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>

namespace
{

// A file named as the animation file that holds XML of another kind (most often the model file
// named twice) adds no animations; that should not pass without a word.
void warnIfNotAnimations(const std::string& fileName)
{
    TiXmlDocument xml;
    if (fileName.empty() || !xml.LoadFile(fileName))
    {
        return; // missing, empty and malformed files are the reader's to report
    }
    const TiXmlElement* root = xml.RootElement();
    if (root && std::strcmp(root->Value(), "animations") != 0)
    {
        std::cerr << "bramblewick: warning: \"" << fileName
                  << "\" is not an animation file (it holds <" << latin1ToUtf8(root->Value())
                  << ">, not <animations>); no animations are read from it\n";
    }
}

} // namespace

bool readDocument(const std::string& modelFile, const std::string& animationFile,
                  ModelDocument& document)
{
    namespace fs = std::filesystem;
    std::error_code error;
    // The editor starts a new model for a missing file; here it can only be a mistake.
    for (const std::string& name : {modelFile, animationFile})
    {
        if (!name.empty() && !fs::exists(name, error))
        {
            std::cerr << "bramblewick: couldn't read \"" << name << "\": no such file\n";
            return false;
        }
    }
    try
    {
        readModelFile(modelFile, document);
        readAnimationFile(animationFile, document);
    }
    catch (const std::exception& failure)
    {
        std::string text = failure.what();
        if (text.find(modelFile) == std::string::npos &&
            (animationFile.empty() || text.find(animationFile) == std::string::npos))
        {
            text = "couldn't read the model file \"" + modelFile + "\": " + text;
        }
        std::cerr << "bramblewick: " << text << "\n";
        return false;
    }
    warnIfNotAnimations(animationFile);
    return true;
}

int main(int argc, char** argv)
{
    CLI::App app{"Reads, checks and exports the models of the BRAMBLEWICK voxel editor.",
                 "bramblewick"};
    app.require_subcommand(1);
    int status = 0;
    addInfoCommand(app, status);
    addExportCommand(app, status);
    addConvertCommand(app, status);
    addRenderCommand(app, status);
    // The command is the first word; a word that names none is said by name.
    const auto named = [&argv](CLI::App* command) { return command->check_name(argv[1]); };
    if (argc > 1 && argv[1][0] != '-' && app.get_subcommands(named).empty())
    {
        std::cerr << "bramblewick: unknown command '" << argv[1]
                  << "'; the commands are info, export, convert and render (see --help)\n";
        return STATUS_USAGE;
    }
    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::ParseError& error)
    {
        // Prints the help, or the error with a pointer to --help.
        return app.exit(error) == 0 ? 0 : STATUS_USAGE;
    }
    catch (const std::exception& error)
    {
        std::cerr << "bramblewick: " << error.what() << "\n";
        return STATUS_PROBLEM;
    }
    return status;
}
