// MagicaVoxel .vox files.
//
// A file is "VOX ", a version, then a "MAIN" chunk whose children are the chunks that matter:
// "SIZE"/"XYZI" pairs (one model each), "PACK" (their count), "RGBA" (the palette) and the
// scene graph ("nTRN" transforms, "nGRP" groups, "nSHP" shapes naming models). Every chunk is a
// four-letter id, the size of its content, the size of its children, then both; anything else is
// skipped by those sizes. Numbers are little-endian 32-bit integers; scene-graph values are text
// in dictionaries.
//
// Sections: palette - reading - writing. The colour reduction is ColourPalette's.

#include "formats/Vox.h"

#include "app/SafeFile.h"
#include "formats/ColourPalette.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>

// ---------------------------------------------------------------------------------------------
// Palette

// 0xAABBGGRR by colour index; index 0 is "no voxel". A 6 x 6 x 6 cube of the steps ff, cc, 99,
// 66, 33, 00 (blue fastest, black left out), then ramps of ten shades of red, green, blue and
// grey.
const uint32_t Vox::defaultPalette[256] = {
    0x00000000, 0xffffffff, 0xffccffff, 0xff99ffff, 0xff66ffff, 0xff33ffff, 0xff00ffff, 0xffffccff,
    0xffccccff, 0xff99ccff, 0xff66ccff, 0xff33ccff, 0xff00ccff, 0xffff99ff, 0xffcc99ff, 0xff9999ff,
    0xff6699ff, 0xff3399ff, 0xff0099ff, 0xffff66ff, 0xffcc66ff, 0xff9966ff, 0xff6666ff, 0xff3366ff,
    0xff0066ff, 0xffff33ff, 0xffcc33ff, 0xff9933ff, 0xff6633ff, 0xff3333ff, 0xff0033ff, 0xffff00ff,
    0xffcc00ff, 0xff9900ff, 0xff6600ff, 0xff3300ff, 0xff0000ff, 0xffffffcc, 0xffccffcc, 0xff99ffcc,
    0xff66ffcc, 0xff33ffcc, 0xff00ffcc, 0xffffcccc, 0xffcccccc, 0xff99cccc, 0xff66cccc, 0xff33cccc,
    0xff00cccc, 0xffff99cc, 0xffcc99cc, 0xff9999cc, 0xff6699cc, 0xff3399cc, 0xff0099cc, 0xffff66cc,
    0xffcc66cc, 0xff9966cc, 0xff6666cc, 0xff3366cc, 0xff0066cc, 0xffff33cc, 0xffcc33cc, 0xff9933cc,
    0xff6633cc, 0xff3333cc, 0xff0033cc, 0xffff00cc, 0xffcc00cc, 0xff9900cc, 0xff6600cc, 0xff3300cc,
    0xff0000cc, 0xffffff99, 0xffccff99, 0xff99ff99, 0xff66ff99, 0xff33ff99, 0xff00ff99, 0xffffcc99,
    0xffcccc99, 0xff99cc99, 0xff66cc99, 0xff33cc99, 0xff00cc99, 0xffff9999, 0xffcc9999, 0xff999999,
    0xff669999, 0xff339999, 0xff009999, 0xffff6699, 0xffcc6699, 0xff996699, 0xff666699, 0xff336699,
    0xff006699, 0xffff3399, 0xffcc3399, 0xff993399, 0xff663399, 0xff333399, 0xff003399, 0xffff0099,
    0xffcc0099, 0xff990099, 0xff660099, 0xff330099, 0xff000099, 0xffffff66, 0xffccff66, 0xff99ff66,
    0xff66ff66, 0xff33ff66, 0xff00ff66, 0xffffcc66, 0xffcccc66, 0xff99cc66, 0xff66cc66, 0xff33cc66,
    0xff00cc66, 0xffff9966, 0xffcc9966, 0xff999966, 0xff669966, 0xff339966, 0xff009966, 0xffff6666,
    0xffcc6666, 0xff996666, 0xff666666, 0xff336666, 0xff006666, 0xffff3366, 0xffcc3366, 0xff993366,
    0xff663366, 0xff333366, 0xff003366, 0xffff0066, 0xffcc0066, 0xff990066, 0xff660066, 0xff330066,
    0xff000066, 0xffffff33, 0xffccff33, 0xff99ff33, 0xff66ff33, 0xff33ff33, 0xff00ff33, 0xffffcc33,
    0xffcccc33, 0xff99cc33, 0xff66cc33, 0xff33cc33, 0xff00cc33, 0xffff9933, 0xffcc9933, 0xff999933,
    0xff669933, 0xff339933, 0xff009933, 0xffff6633, 0xffcc6633, 0xff996633, 0xff666633, 0xff336633,
    0xff006633, 0xffff3333, 0xffcc3333, 0xff993333, 0xff663333, 0xff333333, 0xff003333, 0xffff0033,
    0xffcc0033, 0xff990033, 0xff660033, 0xff330033, 0xff000033, 0xffffff00, 0xffccff00, 0xff99ff00,
    0xff66ff00, 0xff33ff00, 0xff00ff00, 0xffffcc00, 0xffcccc00, 0xff99cc00, 0xff66cc00, 0xff33cc00,
    0xff00cc00, 0xffff9900, 0xffcc9900, 0xff999900, 0xff669900, 0xff339900, 0xff009900, 0xffff6600,
    0xffcc6600, 0xff996600, 0xff666600, 0xff336600, 0xff006600, 0xffff3300, 0xffcc3300, 0xff993300,
    0xff663300, 0xff333300, 0xff003300, 0xffff0000, 0xffcc0000, 0xff990000, 0xff660000, 0xff330000,
    0xff0000ee, 0xff0000dd, 0xff0000bb, 0xff0000aa, 0xff000088, 0xff000077, 0xff000055, 0xff000044,
    0xff000022, 0xff000011, 0xff00ee00, 0xff00dd00, 0xff00bb00, 0xff00aa00, 0xff008800, 0xff007700,
    0xff005500, 0xff004400, 0xff002200, 0xff001100, 0xffee0000, 0xffdd0000, 0xffbb0000, 0xffaa0000,
    0xff880000, 0xff770000, 0xff550000, 0xff440000, 0xff220000, 0xff110000, 0xffeeeeee, 0xffdddddd,
    0xffbbbbbb, 0xffaaaaaa, 0xff888888, 0xff777777, 0xff555555, 0xff444444, 0xff222222, 0xff111111,
};

namespace
{

// No model comes near this; more voxels only come from damaged or hostile files. It caps the
// voxels walked, each model counted at every place it is put (and each place as one more), so
// that a small file cannot keep the reader busy by placing a large model over and over.
constexpr size_t largestVoxelCount = 4000000;
// Far beyond any real scene, and small enough that no sum of offsets overflows a cell.
constexpr int64_t largestTranslation = 1 << 24;
constexpr int deepestSceneGraph = 64;
constexpr int largestModelSide = 256;

struct Cell
{
    int64_t x, y, z;
    bool operator==(const Cell& other) const
    {
        return x == other.x && y == other.y && z == other.z;
    }
};

struct CellHash
{
    size_t operator()(const Cell& cell) const
    {
        uint64_t h = static_cast<uint64_t>(cell.x) * 0x9E3779B97F4A7C15ull;
        h ^= static_cast<uint64_t>(cell.y) + 0x7F4A7C159E3779B9ull + (h << 6) + (h >> 2);
        h ^= static_cast<uint64_t>(cell.z) + 0x94D049BB133111EBull + (h << 6) + (h >> 2);
        return static_cast<size_t>(h);
    }
};

// The .vox cell of an editor cell, and back (see the header for why).
Cell toVoxCell(int64_t x, int64_t y, int64_t z) { return {x, -z - 1, y}; }
Cell fromVoxCell(int64_t x, int64_t y, int64_t z) { return {x, z, -y - 1}; }

Ogre::ColourValue colourOf(uint32_t abgr)
{
    return Ogre::ColourValue(float(abgr & 0xff) / 255.0f, float((abgr >> 8) & 0xff) / 255.0f,
                             float((abgr >> 16) & 0xff) / 255.0f, float(abgr >> 24) / 255.0f);
}

uint8_t channelByte(float value)
{
    if (!(value > 0.0f)) // also NaN
    {
        return 0;
    }
    if (value >= 1.0f)
    {
        return 255;
    }
    return static_cast<uint8_t>(std::lround(value * 255.0f));
}

uint32_t abgrOf(const Ogre::ColourValue& colour)
{
    return uint32_t(channelByte(colour.r)) | uint32_t(channelByte(colour.g)) << 8 |
           uint32_t(channelByte(colour.b)) << 16 | uint32_t(channelByte(colour.a)) << 24;
}

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

// ---------------------------------------------------------------------------------------------
// Reading

struct Model
{
    int size[3] = {0, 0, 0};
    std::vector<std::array<uint8_t, 4>> voxels; // x, y, z, colour index
};

// A signed permutation matrix, as the "_r" byte of a transform gives it.
struct Rotation
{
    int m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

    Rotation operator*(const Rotation& other) const
    {
        Rotation product;
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column)
            {
                product.m[row][column] = 0;
                for (int k = 0; k < 3; ++k)
                    product.m[row][column] += m[row][k] * other.m[k][column];
            }
        return product;
    }
    Cell operator*(const Cell& v) const
    {
        return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
                m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
                m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
    }
};

struct Node
{
    enum class Kind
    {
        Transform,
        Group,
        Shape
    };
    Kind kind = Kind::Transform;
    std::string where;          // "chunk "nTRN" at byte 123", for messages
    Rotation rotation;          // Transform
    Cell translation{0, 0, 0};  // Transform
    std::vector<int> children;  // Transform (one), Group (any)
    int model = -1;             // Shape
};

// A model put somewhere by the scene graph (or at its own cells, without one).
struct Placement
{
    size_t model;
    Rotation rotation;
    Cell translation;
    bool centred;
};

using Dictionary = std::vector<std::pair<std::string, std::string>>;

const std::string* lookUp(const Dictionary& dictionary, const char* key)
{
    for (const auto& [name, value] : dictionary)
        if (name == key)
            return &value;
    return nullptr;
}

class Parser
{
public:
    Parser(const uint8_t* data, size_t size, const std::string& fileName)
        : data(data), size(size), fileName(fileName)
    {
    }

    std::vector<Vox::Voxel> run(Vox::ReadReport* report)
    {
        std::copy(std::begin(Vox::defaultPalette), std::end(Vox::defaultPalette),
                  palette.begin());
        if (size < 8 || std::memcmp(data, "VOX ", 4) != 0)
        {
            fail("it is no .vox file (it does not begin with \"VOX \")");
        }
        const uint32_t version = word(4);
        if (version < 150)
        {
            fail("version " + std::to_string(version) +
                 " is older than 150, the oldest that this editor reads");
        }
        if (size - 8 < 12)
        {
            fail("the \"MAIN\" chunk at byte 8 is truncated");
        }
        if (std::memcmp(data + 8, "MAIN", 4) != 0)
        {
            fail("the first chunk is " + chunkId(8) + ", not \"MAIN\"");
        }
        const size_t mainEnd = checkedChunkEnd(8, size);
        readChunks(8 + 12 + word(12), mainEnd);
        return place(report);
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::runtime_error("couldn't read the .vox file " + inQuotes(fileName) + ": " + what);
    }

    uint32_t word(size_t at) const
    {
        return uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 |
               uint32_t(data[at + 3]) << 24;
    }

    std::string chunkId(size_t at) const
    {
        std::string id(reinterpret_cast<const char*>(data + at), 4);
        for (char& c : id)
            if (c < 32 || c > 126)
                c = '?';
        return inQuotes(id);
    }

    // The end of the chunk at `at`, refused when its declared sizes run past `limit`.
    size_t checkedChunkEnd(size_t at, size_t limit) const
    {
        const uint64_t declared = uint64_t(word(at + 4)) + word(at + 8);
        const uint64_t left = limit - at - 12;
        if (declared > left)
        {
            fail("chunk " + chunkId(at) + " at byte " + std::to_string(at) + " declares " +
                 std::to_string(declared) + " bytes, which runs past the end of the file (" +
                 std::to_string(left) + " bytes left)");
        }
        return at + 12 + size_t(declared);
    }

    void readChunks(size_t at, size_t end)
    {
        while (at < end)
        {
            if (end - at < 12)
            {
                fail("the chunk header at byte " + std::to_string(at) + " is truncated (" +
                     std::to_string(end - at) + " of 12 bytes)");
            }
            const size_t next = checkedChunkEnd(at, end);
            Content content{this, at + 12, at + 12 + word(at + 4),
                            "chunk " + chunkId(at) + " at byte " + std::to_string(at)};
            const char* id = reinterpret_cast<const char*>(data + at);
            if (std::memcmp(id, "SIZE", 4) == 0)
                readSize(content);
            else if (std::memcmp(id, "XYZI", 4) == 0)
                readVoxels(content);
            else if (std::memcmp(id, "RGBA", 4) == 0)
                readPalette(content);
            else if (std::memcmp(id, "PACK", 4) == 0)
                packed = content.count() > 1;
            else if (std::memcmp(id, "nTRN", 4) == 0)
                readTransform(content);
            else if (std::memcmp(id, "nGRP", 4) == 0)
                readGroup(content);
            else if (std::memcmp(id, "nSHP", 4) == 0)
                readShape(content);
            // Materials, layers, render settings, cameras, notes, ...: nothing the editor keeps.
            at = next;
        }
    }

    // The content of one chunk, read front to back; running out is a truncated chunk.
    struct Content
    {
        const Parser* parser;
        size_t at;
        size_t end;
        std::string where;

        void need(size_t bytes) const
        {
            if (end - at < bytes)
            {
                parser->fail(where + " is truncated");
            }
        }
        int32_t integer()
        {
            need(4);
            const uint32_t value = parser->word(at);
            at += 4;
            return static_cast<int32_t>(value);
        }
        int32_t count()
        {
            const int32_t value = integer();
            if (value < 0)
            {
                parser->fail(where + " gives a negative count");
            }
            return value;
        }
        std::string string()
        {
            const size_t length = size_t(count());
            need(length);
            std::string text(reinterpret_cast<const char*>(parser->data + at), length);
            at += length;
            return text;
        }
        Dictionary dictionary()
        {
            const int32_t pairs = count();
            Dictionary entries;
            for (int32_t i = 0; i < pairs; ++i)
            {
                std::string key = string();
                entries.emplace_back(std::move(key), string());
            }
            return entries;
        }
    };

    void readSize(Content& content)
    {
        int side[3];
        for (int& s : side)
            s = content.integer();
        for (int s : side)
        {
            if (s < 1 || s > largestModelSide)
            {
                fail(content.where + " gives a model size of " + std::to_string(side[0]) +
                     " x " + std::to_string(side[1]) + " x " + std::to_string(side[2]) +
                     "; each side must be 1 to 256");
            }
        }
        pendingSize = {side[0], side[1], side[2]};
        havePendingSize = true;
    }

    void readVoxels(Content& content)
    {
        if (!havePendingSize)
        {
            fail(content.where + " has no \"SIZE\" chunk before it");
        }
        havePendingSize = false;
        Model model;
        std::copy(pendingSize.begin(), pendingSize.end(), model.size);
        const size_t count = size_t(content.count());
        if ((content.end - content.at) / 4 < count)
        {
            fail(content.where + " is truncated: it holds " +
                 std::to_string((content.end - content.at) / 4) + " of its " +
                 std::to_string(count) + " voxels");
        }
        model.voxels.resize(count);
        for (size_t i = 0; i < count; ++i)
        {
            std::array<uint8_t, 4>& voxel = model.voxels[i];
            std::memcpy(voxel.data(), data + content.at + 4 * i, 4);
            if (voxel[0] >= model.size[0] || voxel[1] >= model.size[1] ||
                voxel[2] >= model.size[2])
            {
                fail("voxel " + std::to_string(i + 1) + " of " + content.where + " lies at (" +
                     std::to_string(voxel[0]) + ", " + std::to_string(voxel[1]) + ", " +
                     std::to_string(voxel[2]) + "), outside its model of size " +
                     std::to_string(model.size[0]) + " x " + std::to_string(model.size[1]) +
                     " x " + std::to_string(model.size[2]));
            }
        }
        models.push_back(std::move(model));
    }

    void readPalette(Content& content)
    {
        content.need(256 * 4);
        // Entry i of the chunk is colour index i + 1; index 0 means "no voxel".
        for (size_t i = 0; i < 255; ++i)
            palette[i + 1] = word(content.at + 4 * i);
    }

    void addNode(Content& content, int32_t id, Node node)
    {
        node.where = content.where;
        if (!nodes.emplace(id, std::move(node)).second)
        {
            fail(content.where + " is scene node " + std::to_string(id) +
                 ", which an earlier chunk already is");
        }
    }

    void readTransform(Content& content)
    {
        const int32_t id = content.integer();
        content.dictionary(); // name, hidden: not kept
        Node node;
        node.kind = Node::Kind::Transform;
        node.children.push_back(content.integer());
        content.integer(); // reserved
        content.integer(); // layer
        const int32_t frames = content.count();
        // Later frames animate the transform; the first is the model as it stands.
        if (frames > 0)
        {
            const Dictionary frame = content.dictionary();
            if (const std::string* text = lookUp(frame, "_r"))
                node.rotation = rotation(*text, content);
            if (const std::string* text = lookUp(frame, "_t"))
                node.translation = translation(*text, content);
        }
        addNode(content, id, std::move(node));
    }

    Rotation rotation(const std::string& text, const Content& content) const
    {
        char* end = nullptr;
        errno = 0;
        const long bits = std::strtol(text.c_str(), &end, 10);
        const int first = int(bits & 3);
        const int second = int((bits >> 2) & 3);
        if (text.empty() || *end != '\0' || errno != 0 || bits < 0 || bits > 127 || first > 2 ||
            second > 2 || first == second)
        {
            fail(content.where + " has the rotation " + inQuotes(text) + ", which is no rotation");
        }
        // The two low bit pairs say where the first two rows have their one; the third row
        // takes the column left over. Bits 4 to 6 make the rows negative.
        Rotation result;
        std::memset(result.m, 0, sizeof(result.m));
        result.m[0][first] = (bits & 16) ? -1 : 1;
        result.m[1][second] = (bits & 32) ? -1 : 1;
        result.m[2][3 - first - second] = (bits & 64) ? -1 : 1;
        return result;
    }

    Cell translation(const std::string& text, const Content& content) const
    {
        int64_t value[3];
        const char* at = text.c_str();
        for (int64_t& v : value)
        {
            char* end = nullptr;
            errno = 0;
            const long long number = std::strtoll(at, &end, 10);
            if (end == at || errno != 0 || number > largestTranslation ||
                number < -largestTranslation)
            {
                fail(content.where + " has the translation " + inQuotes(text) +
                     ", which is not three whole numbers within " +
                     std::to_string(largestTranslation) + " of 0");
            }
            v = number;
            at = end;
        }
        while (*at == ' ')
            ++at;
        if (*at != '\0')
        {
            fail(content.where + " has the translation " + inQuotes(text) +
                 ", which is more than three numbers");
        }
        return {value[0], value[1], value[2]};
    }

    void readGroup(Content& content)
    {
        const int32_t id = content.integer();
        content.dictionary();
        Node node;
        node.kind = Node::Kind::Group;
        const int32_t children = content.count();
        content.need(size_t(children) * 4); // before reserving room for a hostile count
        node.children.reserve(size_t(children));
        for (int32_t i = 0; i < children; ++i)
            node.children.push_back(content.integer());
        addNode(content, id, std::move(node));
    }

    void readShape(Content& content)
    {
        const int32_t id = content.integer();
        content.dictionary();
        Node node;
        node.kind = Node::Kind::Shape;
        // Several models are the frames of an animated shape; the first is the model at rest.
        if (content.count() > 0)
        {
            node.model = content.integer();
            content.dictionary();
        }
        addNode(content, id, std::move(node));
    }

    // Puts every shape's model where its transforms say; a file without a scene graph has its
    // models at their own cells, or when "PACK" counts them as animation frames, the first.
    std::vector<Vox::Voxel> place(Vox::ReadReport* report)
    {
        if (nodes.empty() && packed && !models.empty())
        {
            placements.push_back({0, Rotation(), Cell{0, 0, 0}, false});
            if (report)
                report->framesLeftOut = int(models.size()) - 1;
        }
        else if (nodes.empty())
        {
            for (size_t model = 0; model < models.size(); ++model)
                placements.push_back({model, Rotation(), Cell{0, 0, 0}, false});
        }
        else
        {
            if (nodes.find(0) == nodes.end())
            {
                fail("the scene graph has no root (node 0)");
            }
            visit(0, Rotation(), Cell{0, 0, 0}, 0, "the file");
        }
        // Every place is counted before any voxel is walked, so a refusal comes at once.
        size_t walked = 0;
        for (const Placement& placement : placements)
        {
            walked += models[placement.model].voxels.size() + 1;
            if (walked > largestVoxelCount)
            {
                fail("it places more than " + std::to_string(largestVoxelCount) +
                     " voxels, counting a model's voxels again at every place it is put");
            }
        }
        for (const Placement& placement : placements)
            emit(models[placement.model], placement.rotation, placement.translation,
                 placement.centred);
        return std::move(voxels);
    }

    void visit(int id, const Rotation& rotation, const Cell& translation, int depth,
               const std::string& parent)
    {
        const auto found = nodes.find(id);
        if (found == nodes.end())
        {
            fail(parent + " names scene node " + std::to_string(id) +
                 ", which the file does not have");
        }
        const Node& node = found->second;
        if (!visited.insert(id).second)
        {
            fail("scene node " + std::to_string(id) + " (" + node.where +
                 ") is reached twice in the scene graph");
        }
        if (depth > deepestSceneGraph)
        {
            fail("the scene graph is more than " + std::to_string(deepestSceneGraph) +
                 " levels deep");
        }
        switch (node.kind)
        {
        case Node::Kind::Transform:
        {
            const Cell moved = rotation * node.translation;
            const Cell sum{moved.x + translation.x, moved.y + translation.y,
                           moved.z + translation.z};
            for (int child : node.children)
                visit(child, rotation * node.rotation, sum, depth + 1, node.where);
            break;
        }
        case Node::Kind::Group:
            for (int child : node.children)
                visit(child, rotation, translation, depth + 1, node.where);
            break;
        case Node::Kind::Shape:
            if (node.model < 0)
                break;
            if (size_t(node.model) >= models.size())
            {
                fail(node.where + " names model " + std::to_string(node.model) +
                     ", but the file has " + std::to_string(models.size()) + " models");
            }
            placements.push_back({size_t(node.model), rotation, translation, true});
            break;
        }
    }

    void emit(const Model& model, const Rotation& rotation, const Cell& translation,
              bool centred)
    {
        // Doubled coordinates keep cell centres whole: a centre relative to the pivot
        // floor(size / 2) is odd, stays odd when turned, and names its cell exactly.
        const int64_t pivot[3] = {centred ? model.size[0] / 2 : 0,
                                  centred ? model.size[1] / 2 : 0,
                                  centred ? model.size[2] / 2 : 0};
        for (const std::array<uint8_t, 4>& v : model.voxels)
        {
            if (v[3] == 0)
            {
                continue; // colour index 0 is empty space
            }
            const Cell centre{2 * (v[0] - pivot[0]) + 1, 2 * (v[1] - pivot[1]) + 1,
                              2 * (v[2] - pivot[2]) + 1};
            const Cell turned = rotation * centre;
            const Cell vox{(turned.x + 2 * translation.x - 1) / 2,
                           (turned.y + 2 * translation.y - 1) / 2,
                           (turned.z + 2 * translation.z - 1) / 2};
            const Cell cell = fromVoxCell(vox.x, vox.y, vox.z);
            if (!taken.insert(cell).second)
            {
                continue; // the first voxel in a cell wins, as when the editor adds voxels
            }
            voxels.push_back(Vox::Voxel{int(cell.x), int(cell.y), int(cell.z),
                                        colourOf(palette[v[3]])});
        }
    }

    const uint8_t* data;
    size_t size;
    const std::string& fileName;

    std::array<uint32_t, 256> palette{};
    std::array<int, 3> pendingSize{};
    bool havePendingSize = false;
    bool packed = false; // "PACK" counts more than one model
    std::vector<Model> models;
    std::map<int, Node> nodes;
    std::unordered_set<int> visited;
    std::unordered_set<Cell, CellHash> taken;
    std::vector<Placement> placements; // in the order their voxels are taken
    std::vector<Vox::Voxel> voxels;
};

// ---------------------------------------------------------------------------------------------
// Writing

class Bytes
{
public:
    std::vector<uint8_t> data;

    void word(uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            data.push_back(uint8_t(value >> (8 * i)));
    }
    void tag(const char* id) { data.insert(data.end(), id, id + 4); }
    void string(const std::string& text)
    {
        word(uint32_t(text.size()));
        data.insert(data.end(), text.begin(), text.end());
    }
    void dictionary(const Dictionary& entries)
    {
        word(uint32_t(entries.size()));
        for (const auto& [key, value] : entries)
        {
            string(key);
            string(value);
        }
    }
    // A chunk without children; its content size is filled in by endChunk.
    size_t beginChunk(const char* id)
    {
        tag(id);
        const size_t at = data.size();
        word(0);
        word(0);
        return at;
    }
    void endChunk(size_t at) { patch(at, uint32_t(data.size() - at - 8)); }
    void patch(size_t at, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            data[at + size_t(i)] = uint8_t(value >> (8 * i));
    }
};

struct OutModel
{
    Cell low{0, 0, 0};
    Cell size{1, 1, 1};
    std::vector<std::array<uint8_t, 4>> voxels;
};

} // namespace

uint32_t Vox::bytesOf(const Ogre::ColourValue& colour) { return abgrOf(colour); }

std::vector<Vox::Voxel> Vox::read(const std::string& fileName, ReadReport* report)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(fileName, error);
    if (status.type() == fs::file_type::not_found)
    {
        throw std::runtime_error("couldn't read the .vox file " + inQuotes(fileName) +
                                 ": there is no such file");
    }
    if (error || status.type() != fs::file_type::regular)
    {
        throw std::runtime_error("couldn't read the .vox file " + inQuotes(fileName) +
                                 ": it is not a file");
    }
    std::ifstream stream(fileName, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(stream)),
                                     std::istreambuf_iterator<char>());
    if (!stream.eof() && stream.fail())
    {
        throw std::runtime_error("couldn't read the .vox file " + inQuotes(fileName) + ": " +
                                 std::strerror(errno));
    }
    return parse(bytes.data(), bytes.size(), fileName, report);
}

std::vector<Vox::Voxel> Vox::parse(const uint8_t* data, size_t size, const std::string& fileName,
                                   ReadReport* report)
{
    return Parser(data, size, fileName).run(report);
}

std::vector<uint8_t> Vox::encode(const std::vector<Voxel>& voxels, WriteReport* report)
{
    WriteReport summary;

    // Cells in .vox axes, colours as bytes; a cell taken twice keeps its first voxel.
    std::vector<std::pair<Cell, uint32_t>> cells;
    cells.reserve(voxels.size());
    std::unordered_set<Cell, CellHash> taken;
    std::unordered_map<uint32_t, int> colourNumbers; // colour -> place in `colours`
    std::vector<uint32_t> colours;
    std::vector<double> colourWeights;
    for (const Voxel& voxel : voxels)
    {
        if (!taken.insert(Cell{voxel.x, voxel.y, voxel.z}).second)
            continue;
        const uint32_t colour = abgrOf(voxel.colour);
        const auto [entry, added] = colourNumbers.emplace(colour, int(colours.size()));
        if (added)
        {
            colours.push_back(colour);
            colourWeights.push_back(0);
        }
        colourWeights[size_t(entry->second)] += 1;
        cells.emplace_back(toVoxCell(voxel.x, voxel.y, voxel.z), colour);
    }
    summary.colours = int(colours.size());

    // Colour index by colour: exact while they fit, else the nearest of a reduced palette.
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indexOfColour(colours.size());
    if (colours.size() <= 255)
    {
        palette = colours;
        for (size_t i = 0; i < colours.size(); ++i)
            indexOfColour[i] = uint8_t(i + 1);
    }
    else
    {
        std::vector<ColourPalette::Weighted> weighted;
        weighted.reserve(colours.size());
        for (size_t i = 0; i < colours.size(); ++i)
            weighted.push_back({colours[i], colourWeights[i]});
        palette = ColourPalette::reduce(weighted, 255);
        const ColourPalette nearest(palette);
        for (size_t i = 0; i < colours.size(); ++i)
        {
            const int index = nearest.nearest(colours[i]);
            indexOfColour[i] = uint8_t(index + 1);
            const uint32_t from = colours[i], to = palette[size_t(index)];
            if (from == to)
                continue;
            summary.changedVoxels += int(colourWeights[i]);
            for (int shift = 0; shift < 32; shift += 8)
            {
                const int change = std::abs(int((from >> shift) & 0xff) - int((to >> shift) & 0xff));
                summary.largestChange = std::max(summary.largestChange, change);
            }
        }
    }

    // Models of at most 256 cells a side, tiling the model from its lowest corner.
    std::map<std::tuple<int64_t, int64_t, int64_t>, OutModel> tiles;
    if (!cells.empty())
    {
        Cell low = cells[0].first;
        for (const auto& [cell, colour] : cells)
            low = {std::min(low.x, cell.x), std::min(low.y, cell.y), std::min(low.z, cell.z)};
        std::map<std::tuple<int64_t, int64_t, int64_t>, std::pair<Cell, Cell>> bounds;
        const auto tileOf = [&](const Cell& cell)
        {
            return std::make_tuple((cell.x - low.x) / largestModelSide,
                                   (cell.y - low.y) / largestModelSide,
                                   (cell.z - low.z) / largestModelSide);
        };
        for (const auto& [cell, colour] : cells)
        {
            const auto [entry, added] = bounds.emplace(tileOf(cell), std::make_pair(cell, cell));
            Cell& a = entry->second.first;
            Cell& b = entry->second.second;
            a = {std::min(a.x, cell.x), std::min(a.y, cell.y), std::min(a.z, cell.z)};
            b = {std::max(b.x, cell.x), std::max(b.y, cell.y), std::max(b.z, cell.z)};
        }
        for (const auto& [key, box] : bounds)
        {
            OutModel& model = tiles[key];
            model.low = box.first;
            model.size = {box.second.x - box.first.x + 1, box.second.y - box.first.y + 1,
                          box.second.z - box.first.z + 1};
        }
        for (const auto& [cell, colour] : cells)
        {
            OutModel& model = tiles[tileOf(cell)];
            model.voxels.push_back({uint8_t(cell.x - model.low.x), uint8_t(cell.y - model.low.y),
                                    uint8_t(cell.z - model.low.z),
                                    indexOfColour[size_t(colourNumbers[colour])]});
        }
    }
    else
    {
        tiles[{0, 0, 0}] = OutModel(); // one empty model: a file with none is no model at all
    }
    summary.models = int(tiles.size());

    Bytes out;
    out.tag("VOX ");
    out.word(150);
    out.tag("MAIN");
    out.word(0);
    const size_t mainChildren = out.data.size();
    out.word(0);

    for (const auto& [key, model] : tiles)
    {
        size_t chunk = out.beginChunk("SIZE");
        out.word(uint32_t(model.size.x));
        out.word(uint32_t(model.size.y));
        out.word(uint32_t(model.size.z));
        out.endChunk(chunk);
        chunk = out.beginChunk("XYZI");
        out.word(uint32_t(model.voxels.size()));
        for (const auto& voxel : model.voxels)
            out.data.insert(out.data.end(), voxel.begin(), voxel.end());
        out.endChunk(chunk);
    }

    // Root transform 0 holds group 1, which holds a transform and a shape per model; each
    // transform puts its model's pivot, floor(size / 2), back where those cells were.
    const int modelCount = int(tiles.size());
    size_t chunk = out.beginChunk("nTRN");
    out.word(0);
    out.dictionary({});
    out.word(1);
    out.word(uint32_t(-1)); // reserved
    out.word(uint32_t(-1)); // no layer
    out.word(1);
    out.dictionary({});
    out.endChunk(chunk);

    chunk = out.beginChunk("nGRP");
    out.word(1);
    out.dictionary({});
    out.word(uint32_t(modelCount));
    for (int i = 0; i < modelCount; ++i)
        out.word(uint32_t(2 + 2 * i));
    out.endChunk(chunk);

    int number = 0;
    for (const auto& [key, model] : tiles)
    {
        const int64_t t[3] = {model.low.x + model.size.x / 2, model.low.y + model.size.y / 2,
                              model.low.z + model.size.z / 2};
        chunk = out.beginChunk("nTRN");
        out.word(uint32_t(2 + 2 * number));
        out.dictionary({});
        out.word(uint32_t(3 + 2 * number));
        out.word(uint32_t(-1));
        out.word(0); // layer 0
        out.word(1);
        out.dictionary({{"_t", std::to_string(t[0]) + " " + std::to_string(t[1]) + " " +
                                   std::to_string(t[2])}});
        out.endChunk(chunk);

        chunk = out.beginChunk("nSHP");
        out.word(uint32_t(3 + 2 * number));
        out.dictionary({});
        out.word(1);
        out.word(uint32_t(number));
        out.dictionary({});
        out.endChunk(chunk);
        ++number;
    }

    chunk = out.beginChunk("LAYR");
    out.word(0);
    out.dictionary({});
    out.word(uint32_t(-1));
    out.endChunk(chunk);

    chunk = out.beginChunk("RGBA");
    for (size_t i = 0; i < 256; ++i)
        out.word(i < palette.size() ? palette[i] : 0);
    out.endChunk(chunk);

    out.patch(mainChildren, uint32_t(out.data.size() - mainChildren - 4));
    if (report)
        *report = summary;
    return std::move(out.data);
}

Vox::WriteReport Vox::write(const std::vector<Voxel>& voxels, const std::string& fileName)
{
    for (const Voxel& voxel : voxels)
    {
        // The reader refuses translations beyond this, so such a file could not come back.
        if (std::llabs(voxel.x) >= largestTranslation || std::llabs(voxel.y) >= largestTranslation ||
            std::llabs(voxel.z) >= largestTranslation)
        {
            throw std::runtime_error("couldn't write " + inQuotes(fileName) + ": the voxel at (" +
                                     std::to_string(voxel.x) + ", " + std::to_string(voxel.y) +
                                     ", " + std::to_string(voxel.z) +
                                     ") is too far from the origin for a .vox file");
        }
    }
    WriteReport report;
    const std::vector<uint8_t> bytes = encode(voxels, &report);
    errno = 0;
    const bool written = writeFileSafely(fileName, [&](std::FILE* file) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
    if (!written)
    {
        throw std::runtime_error("couldn't write " + inQuotes(fileName) +
                                 (errno ? std::string(": ") + std::strerror(errno) : ""));
    }
    return report;
}
