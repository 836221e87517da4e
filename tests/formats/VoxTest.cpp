#include "formats/Vox.h"

#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

namespace
{

// Little pieces of chunk content.
void append(Bytes& out, std::initializer_list<int32_t> words)
{
    for (int32_t word : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(uint32_t(word) >> (8 * i)));
}

void appendString(Bytes& out, const std::string& text)
{
    append(out, {int32_t(text.size())});
    out.insert(out.end(), text.begin(), text.end());
}

Bytes dictionary(std::initializer_list<std::pair<std::string, std::string>> entries)
{
    Bytes out;
    append(out, {int32_t(entries.size())});
    for (const auto& [key, value] : entries)
    {
        appendString(out, key);
        appendString(out, value);
    }
    return out;
}

// A .vox file put together chunk by chunk inside "MAIN".
struct VoxFile
{
    Bytes children;
    uint32_t version = 150;

    VoxFile& chunk(const char* id, const Bytes& content, const Bytes& inner = {})
    {
        children.insert(children.end(), id, id + 4);
        append(children, {int32_t(content.size()), int32_t(inner.size())});
        children.insert(children.end(), content.begin(), content.end());
        children.insert(children.end(), inner.begin(), inner.end());
        return *this;
    }
    // A model of the given size with voxels (x, y, z, colour index).
    VoxFile& model(int sx, int sy, int sz, const std::vector<std::array<uint8_t, 4>>& voxels)
    {
        Bytes size;
        append(size, {sx, sy, sz});
        chunk("SIZE", size);
        Bytes xyzi;
        append(xyzi, {int32_t(voxels.size())});
        for (const auto& v : voxels)
            xyzi.insert(xyzi.end(), v.begin(), v.end());
        return chunk("XYZI", xyzi);
    }
    VoxFile& transform(int id, int child, const std::string& t, const std::string& r = "")
    {
        Bytes content;
        append(content, {id});
        const Bytes none = dictionary({});
        content.insert(content.end(), none.begin(), none.end());
        append(content, {child, -1, 0, 1});
        Bytes frame = r.empty() ? dictionary({{"_t", t}}) : dictionary({{"_t", t}, {"_r", r}});
        content.insert(content.end(), frame.begin(), frame.end());
        return chunk("nTRN", content);
    }
    VoxFile& group(int id, std::initializer_list<int32_t> members)
    {
        Bytes content;
        append(content, {id, 0, int32_t(members.size())});
        append(content, members);
        return chunk("nGRP", content);
    }
    VoxFile& shape(int id, int model)
    {
        Bytes content;
        append(content, {id, 0, 1, model, 0});
        return chunk("nSHP", content);
    }
    Bytes bytes() const
    {
        Bytes out = {'V', 'O', 'X', ' '};
        append(out, {int32_t(version)});
        out.insert(out.end(), {'M', 'A', 'I', 'N'});
        append(out, {0, int32_t(children.size())});
        out.insert(out.end(), children.begin(), children.end());
        return out;
    }
};

std::vector<Vox::Voxel> parse(const Bytes& bytes)
{
    return Vox::parse(bytes.data(), bytes.size(), "test.vox");
}

using CellColour = std::tuple<int, int, int, int, int, int, int>;

// Cells with their colours as bytes, in order, so that lists compare whatever their order.
std::set<CellColour> cellsOf(const std::vector<Vox::Voxel>& voxels)
{
    std::set<CellColour> cells;
    const auto byte = [](float c) { return int(c * 255.0f + 0.5f); };
    for (const Vox::Voxel& v : voxels)
        cells.emplace(v.x, v.y, v.z, byte(v.colour.r), byte(v.colour.g), byte(v.colour.b),
                      byte(v.colour.a));
    return cells;
}

std::string parseError(const Bytes& bytes)
{
    try
    {
        parse(bytes);
    }
    catch (const std::runtime_error& error)
    {
        return error.what();
    }
    return "nothing thrown";
}

Vox::Voxel voxel(int x, int y, int z, int r, int g, int b, int a = 255)
{
    return {x, y, z, Ogre::ColourValue(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f)};
}

} // namespace

TEST(Vox, PaletteIsTheFileOwnOrTheFormatDefault)
{
    // Without "RGBA": index 1 white, 2 a pale yellow, 216 the first red, 255 the darkest grey.
    const auto fallback = parse(VoxFile()
                                    .model(4, 1, 1, {{0, 0, 0, 1}, {1, 0, 0, 2}, {2, 0, 0, 216},
                                                     {3, 0, 0, 255}})
                                    .bytes());
    EXPECT_EQ(cellsOf(fallback), (std::set<CellColour>{{0, 0, -1, 255, 255, 255, 255},
                                                       {1, 0, -1, 255, 255, 204, 255},
                                                       {2, 0, -1, 238, 0, 0, 255},
                                                       {3, 0, -1, 17, 17, 17, 255}}));

    // With "RGBA": entry i of the chunk is colour index i + 1.
    Bytes palette(256 * 4, 0);
    palette[0] = 10, palette[1] = 20, palette[2] = 30, palette[3] = 40;
    palette[4 * 254] = 1, palette[4 * 254 + 3] = 255;
    const auto own = parse(
        VoxFile().model(2, 1, 1, {{0, 0, 0, 1}, {1, 0, 0, 255}}).chunk("RGBA", palette).bytes());
    EXPECT_EQ(cellsOf(own), (std::set<CellColour>{{0, 0, -1, 10, 20, 30, 40},
                                                  {1, 0, -1, 1, 0, 0, 255}}));
}

// .vox is Z up with its viewer looking along +Y; the editor is Y up with the start camera at +Z
// looking along -Z. So x stays, .vox z (up) becomes y, and .vox y (away from the viewer) becomes
// -z - 1 (the box from y = 2 to 3 covers z = -3 to -2): a model shows the start camera the side
// it showed its .vox viewer.
// Root transform 0 moves everything by (100, 0, 0); group 1 holds two shapes: model 0 moved by
// (10, 20, 30), and model 1 moved by (-10, 0, 0) and turned a quarter about .vox z (rotation
// byte 17: row 0 has -1 in column 1, row 1 has 1 in column 0). Chunks the editor does not
// keep, one of them with children, are skipped.
TEST(Vox, SceneGraphPutsEveryModelWhereItsTransformsSay)
{
    VoxFile file;
    file.chunk("NOTE", dictionary({{"a", "b"}}))
        .model(4, 4, 4, {{0, 0, 0, 1}})
        .model(2, 1, 1, {{0, 0, 0, 2}, {1, 0, 0, 3}})
        .transform(0, 1, "100 0 0")
        .group(1, {2, 4})
        .transform(2, 3, "10 20 30")
        .shape(3, 0)
        .chunk("MATL", dictionary({{"_type", "_diffuse"}}))
        .transform(4, 5, "-10 0 0", "17")
        .shape(5, 1)
        .chunk("rOBJ", dictionary({}), VoxFile().chunk("IMAP", Bytes(256, 0)).children)
        .chunk("LAYR", Bytes(12, 0));
    const auto voxels = parse(file.bytes());

    // Model 0: pivot (2, 2, 2), so its cell (0, 0, 0) is .vox (108, 18, 28) -> (108, 28, -19).
    // Model 1: pivot (1, 0, 0); its cells along x turn to lie along y: .vox (89, -1, 0) and
    // (89, 0, 0) -> (89, 0, 0) and (89, 0, -1).
    EXPECT_EQ(cellsOf(voxels), (std::set<CellColour>{{108, 28, -19, 255, 255, 255, 255},
                                                     {89, 0, 0, 255, 255, 204, 255},
                                                     {89, 0, -1, 255, 255, 153, 255}}));
}

TEST(Vox, WrittenFilesReadBackToTheSameCellsAndColours)
{
    std::vector<Vox::Voxel> model;
    for (int i = 0; i < 300; ++i)
        model.push_back(voxel(i % 7 - 3, i / 49, -(i % 11), (i % 17) * 15, (i % 5) * 60, 7,
                              255 - (i % 3) * 60)); // 17 x 5 x 3 = 255 colours, all kept
    model.push_back(voxel(-3, 0, 0, 1, 2, 3)); // a cell already taken: the first voxel stays
    Vox::WriteReport report;
    const Bytes bytes = Vox::encode(model, &report);
    model.pop_back();
    EXPECT_EQ(cellsOf(parse(bytes)), cellsOf(model));
    EXPECT_EQ(report.models, 1);
    EXPECT_EQ(report.colours, 255);
    EXPECT_EQ(report.changedVoxels, 0);

    // 700 cells wide: three models side by side, landing where the cells were.
    const std::vector<Vox::Voxel> wide = {voxel(-350, 0, 0, 255, 0, 0), voxel(349, 5, 0, 0, 255, 0),
                                          voxel(0, 300, -400, 0, 0, 255)};
    const Bytes wideBytes = Vox::encode(wide, &report);
    EXPECT_EQ(report.models, 3);
    EXPECT_EQ(cellsOf(parse(wideBytes)), cellsOf(wide));

    // Through a file, and an empty model too.
    TempFolder temp("bramblewick-vox");
    const fs::path& folder = temp.path;
    const std::string name = temp.file("model.vox");
    Vox::write(model, name);
    EXPECT_EQ(cellsOf(Vox::read(name)), cellsOf(model));
    Vox::write({}, name);
    EXPECT_TRUE(Vox::read(name).empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
    EXPECT_THROW(Vox::write(model, (folder / "absent" / "x.vox").string()), std::runtime_error);
}

// 4,096 colours in a smooth cube of hues: the palette keeps 255, every voxel takes the nearest,
// and the report says how many changed and by how much at most.
TEST(Vox, MoreThan255ColoursAreReducedAndTheChangeReported)
{
    std::vector<Vox::Voxel> model;
    for (int i = 0; i < 4096; ++i)
        model.push_back(voxel(i % 16, (i / 16) % 16, i / 256, (i % 16) * 17,
                              ((i / 16) % 16) * 17, (i / 256) * 17));
    Vox::WriteReport report;
    const auto back = parse(Vox::encode(model, &report));
    EXPECT_EQ(report.colours, 4096);
    ASSERT_EQ(back.size(), model.size());

    std::set<std::tuple<int, int, int>> colours;
    int changed = 0, largest = 0;
    const std::set<CellColour> before = cellsOf(model), after = cellsOf(back);
    for (auto a = before.begin(), b = after.begin(); a != before.end(); ++a, ++b)
    {
        ASSERT_EQ(std::get<0>(*a), std::get<0>(*b));
        const int dr = std::abs(std::get<3>(*a) - std::get<3>(*b));
        const int dg = std::abs(std::get<4>(*a) - std::get<4>(*b));
        const int db = std::abs(std::get<5>(*a) - std::get<5>(*b));
        changed += (dr || dg || db) ? 1 : 0;
        largest = std::max({largest, dr, dg, db});
        colours.emplace(std::get<3>(*b), std::get<4>(*b), std::get<5>(*b));
    }
    EXPECT_LE(colours.size(), 255u);
    EXPECT_GT(colours.size(), 200u) << "the palette is used, not wasted";
    EXPECT_EQ(report.changedVoxels, changed);
    EXPECT_EQ(report.largestChange, largest);
    EXPECT_LE(largest, 40) << "16 steps a channel fit 255 colours with small changes";
}

TEST(Vox, DamagedFilesAreRefusedWithAMessageNamingFileAndFault)
{
    const Bytes good = VoxFile().model(2, 2, 2, {{0, 0, 0, 1}}).bytes();
    Bytes pastEnd = good;
    pastEnd[20 + 4] = 200; // SIZE declares 200 bytes of content
    Bytes oldVersion = good;
    oldVersion[4] = 149;
    Bytes shortVoxels = VoxFile().model(2, 2, 2, {{0, 0, 0, 1}}).bytes();
    shortVoxels[20 + 24 + 12] = 5; // five voxels announced, one there

    const std::vector<std::pair<Bytes, std::string>> cases = {
        {Bytes{'P', 'K', 3, 4, 0, 0, 0, 0}, "it is no .vox file"},
        {oldVersion, "version 149 is older than 150"},
        {VoxFile().model(2, 2, 2, {}).bytes(), ""}, // an empty model is fine
        {[&] { Bytes b = good; b.insert(b.end(), {'n', 'T'}); b[16] += 2; return b; }(),
         "the chunk header at byte 64 is truncated (2 of 12 bytes)"},
        {pastEnd, "chunk \"SIZE\" at byte 20 declares 200 bytes, which runs past the end"},
        {shortVoxels, "chunk \"XYZI\" at byte 44 is truncated: it holds 1 of its 5 voxels"},
        {VoxFile().model(0, 2, 2, {}).bytes(), "model size of 0 x 2 x 2; each side must be 1 to 256"},
        {VoxFile().model(2, 257, 2, {}).bytes(), "model size of 2 x 257 x 2"},
        {VoxFile().model(2, 2, 2, {{0, 2, 0, 1}}).bytes(),
         "voxel 1 of chunk \"XYZI\" at byte 44 lies at (0, 2, 0), outside its model of size 2 x 2 x 2"},
        {VoxFile().chunk("XYZI", Bytes(4, 0)).bytes(), "has no \"SIZE\" chunk before it"},
        {VoxFile().chunk("RGBA", Bytes(100, 0)).bytes(), "chunk \"RGBA\" at byte 20 is truncated"},
        {VoxFile().model(2, 2, 2, {}).transform(0, 1, "0 0 0").bytes(),
         "names scene node 1, which the file does not have"},
        {VoxFile().transform(0, 1, "0 0 0").group(1, {0}).bytes(),
         "scene node 0 (chunk \"nTRN\" at byte 20) is reached twice"},
        {VoxFile().transform(0, 1, "0 0 0", "3").shape(1, 0).model(1, 1, 1, {}).bytes(),
         "has the rotation \"3\", which is no rotation"},
        {VoxFile().transform(0, 1, "1 2").shape(1, 0).model(1, 1, 1, {}).bytes(),
         "has the translation \"1 2\""},
        {VoxFile().transform(0, 1, "0 0 0").shape(1, 4).model(1, 1, 1, {}).bytes(),
         "names model 4, but the file has 1 models"},
        {VoxFile().transform(3, 1, "0 0 0").bytes(), "the scene graph has no root (node 0)"},
    };
    for (const auto& [bytes, expected] : cases)
    {
        const std::string error = parseError(bytes);
        if (expected.empty())
        {
            EXPECT_EQ(error, "nothing thrown");
            continue;
        }
        EXPECT_NE(error.find("couldn't read the .vox file \"test.vox\": "), std::string::npos)
            << error;
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }
    // A missing file and a folder are refused by name too.
    EXPECT_THROW(Vox::read("/nonexistent/model.vox"), std::runtime_error);
    EXPECT_THROW(Vox::read("/tmp"), std::runtime_error);
}

// A small file may place a large model many times over: every voxel walked counts towards the
// cap, so one full 64^3 model placed 2,000 times at one spot (1.2 MB) is refused by name at
// once instead of keeping the reader busy for minutes.
TEST(Vox, ModelsPlacedOverAndOverAreRefusedByTheVoxelsWalked)
{
    std::vector<std::array<uint8_t, 4>> full;
    for (int i = 0; i < 64 * 64 * 64; ++i)
        full.push_back({uint8_t(i % 64), uint8_t(i / 64 % 64), uint8_t(i / 4096), 1});
    VoxFile file;
    file.model(64, 64, 64, full).transform(0, 1, "0 0 0");
    Bytes members;
    append(members, {1, 0, 2000});
    for (int i = 0; i < 2000; ++i)
        append(members, {2 + 2 * i});
    file.chunk("nGRP", members);
    for (int i = 0; i < 2000; ++i)
        file.transform(2 + 2 * i, 3 + 2 * i, "0 0 0").shape(3 + 2 * i, 0);
    const std::string error = parseError(file.bytes());
    EXPECT_NE(error.find("couldn't read the .vox file \"test.vox\": it places more than 4000000 "
                         "voxels"),
              std::string::npos)
        << error;
}

// Without a scene graph, the models that "PACK" counts are the frames of an animation: the
// first is read, and the report says how many were left out. Without "PACK" every model is
// read at its own cells.
TEST(Vox, PackedModelsAreAnimationFramesOfWhichTheFirstIsRead)
{
    VoxFile frames;
    Bytes count;
    append(count, {3});
    frames.chunk("PACK", count);
    for (uint8_t frame = 0; frame < 3; ++frame)
        frames.model(4, 1, 1, {{frame, 0, 0, 1}, {3, 0, 0, uint8_t(2 + frame)}});
    Vox::ReadReport report;
    const Bytes bytes = frames.bytes();
    const auto first = Vox::parse(bytes.data(), bytes.size(), "run.vox", &report);
    EXPECT_EQ(cellsOf(first), (std::set<CellColour>{{0, 0, -1, 255, 255, 255, 255},
                                                    {3, 0, -1, 255, 255, 204, 255}}));
    EXPECT_EQ(report.framesLeftOut, 2);

    const auto both =
        parse(VoxFile().model(1, 1, 1, {{0, 0, 0, 1}}).model(2, 1, 1, {{1, 0, 0, 1}}).bytes());
    EXPECT_EQ(both.size(), 2u);
}
