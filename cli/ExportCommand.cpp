// bramblewick export: a model and its animations as glTF 2.0.

#include "cli/Commands.h"

#include "common/Latin1.h"
#include "formats/Gltf.h"
#include "skeleton/ModelDocument.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>

namespace
{

struct Options
{
    std::string modelFile;
    std::string animationFile;
    std::string outputFile;
};

} // namespace

void addExportCommand(CLI::App& app, int& status)
{
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand(
        "export", "Write a model and its animations as glTF 2.0: binary (.glb), or JSON (.gltf) "
                  "with its buffer in a .bin file beside it. An existing output file is "
                  "replaced only by a complete one. Exit status: 0 written, 1 not written, 2 a "
                  "file could not be read.");
    command->add_option("MODEL", options->modelFile, "the model file (.xml)")->required();
    command->add_option("ANIMATIONS", options->animationFile, "the animation file (.xml)");
    command->add_option("-o,--output", options->outputFile, "the file to write (.glb or .gltf)")
        ->required()
        ->check(
            [](const std::string& name)
            {
                const auto dot = name.rfind('.');
                std::string extension = dot == std::string::npos ? "" : name.substr(dot);
                for (char& c : extension)
                    c = char(std::tolower(static_cast<unsigned char>(c)));
                return extension == ".glb" || extension == ".gltf"
                           ? std::string()
                           : "the output file must end in .glb or .gltf";
            });
    command->callback(
        [options, &status]
        {
            ModelDocument document;
            if (!readDocument(options->modelFile, options->animationFile, document))
            {
                status = STATUS_UNREADABLE;
                return;
            }
            std::vector<std::string> warnings;
            try
            {
                exportGltf(document, options->outputFile, warnings);
            }
            catch (const std::exception& error)
            {
                std::cerr << "bramblewick: " << error.what() << "\n";
                status = STATUS_PROBLEM;
                return;
            }
            for (const std::string& warning : warnings)
            {
                std::cerr << "bramblewick: warning: " << latin1ToUtf8(warning) << "\n";
            }
            std::cout << "wrote " << options->outputFile << "\n";
            status = 0;
        });
}
