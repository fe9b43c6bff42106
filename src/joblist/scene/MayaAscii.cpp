#include "joblist/scene/MayaAscii.h"

#include "joblist/scene/MelLexer.h"

#include <QHash>

namespace {
using Kind = MelLexer::Kind;

enum class NodeType { File, MentalRayTexture, AiImage };

// A texture node as the scene builds it up; its path may be set more than once.
struct TextureNode {
    QString name;
    NodeType type;
    QByteArray path;
    int line = 0;
    UvTiling tiling = UvTiling::Off;
};

std::optional<NodeType> textureNodeType(QByteArrayView type) {
    if (type == "file")
        return NodeType::File;
    if (type == "mentalrayTexture")
        return NodeType::MentalRayTexture;
    if (type == "aiImage")
        return NodeType::AiImage;
    return std::nullopt;
}

bool isPathAttribute(NodeType type, QByteArrayView attribute) {
    if (type == NodeType::AiImage)
        return attribute == "filename";
    return attribute == "ftn" || attribute == "fileTextureName";
}

bool isTilingAttribute(NodeType type, QByteArrayView attribute) {
    return type == NodeType::File && (attribute == "uvt" || attribute == "uvTilingMode");
}

bool isFlag(const MelLexer::Token& token) {
    return token.kind == Kind::Word && token.word.startsWith('-');
}

bool hasNoNul(QByteArrayView bytes) {
    return !bytes.contains('\0');
}

bool isMayaBinary(QByteArrayView bytes) {
    // Maya binary files are IFF: a FOR4/FOR8 (or CAT4/CAT8) group first.
    const QByteArrayView head = bytes.first(std::min<qsizetype>(bytes.size(), 4));
    return head == "FOR4" || head == "FOR8" || head == "CAT4" || head == "CAT8";
}

// Maya ends every ASCII scene with "// End of <its name>".
bool hasEndLine(QByteArrayView bytes) {
    qsizetype end = bytes.size();
    while (end > 0 && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r' || bytes[end - 1] == ' ' ||
                       bytes[end - 1] == '\t'))
        --end;
    const qsizetype lineStart = bytes.first(end).lastIndexOf('\n') + 1;
    QByteArrayView last = bytes.sliced(lineStart, end - lineStart);
    if (!last.startsWith("//"))
        return false;
    last = last.sliced(2).trimmed();
    return last.startsWith("End of");
}

class MayaReader {
public:
    explicit MayaReader(QByteArrayView bytes)
        : m_lexer(bytes) {}

    SceneReading read();

private:
    void createNode();
    void select();
    void setAttr();
    int nodeNamed(QByteArrayView name) const;

    MelLexer m_lexer;
    std::vector<TextureNode> m_nodes;
    QHash<QString, int> m_byName;
    int m_current = -1; // the texture node later relative setAttrs change, if any
};

SceneReading MayaReader::read() {
    for (;;) {
        const MelLexer::Token token = m_lexer.next();
        if (token.kind == Kind::End)
            break;
        if (token.kind == Kind::StatementEnd)
            continue;
        if (token.kind == Kind::Word && token.word == "createNode")
            createNode();
        else if (token.kind == Kind::Word && token.word == "select")
            select();
        else if (token.kind == Kind::Word && token.word == "setAttr")
            setAttr();
        else
            m_lexer.skipStatement();
    }
    if (m_lexer.endedEarly())
        return SceneReading::failed(ReadProblem::Truncated, m_lexer.earlyEndLine());
    SceneReading reading;
    for (TextureNode& node : m_nodes) {
        if (node.path.isEmpty())
            continue;
        reading.references.push_back(
            TextureReference{decodePathText(node.path), node.name, node.line, node.tiling});
    }
    return reading;
}

int MayaReader::nodeNamed(QByteArrayView name) const {
    // A leading ':' names the root namespace; the scene's own nodes are written without it.
    if (name.startsWith(':'))
        name = name.sliced(1);
    return m_byName.value(decodePathText(name), -1);
}

// createNode <type> -n "<name>" [-p "<parent>"] [-s] [-ss];
void MayaReader::createNode() {
    m_current = -1;
    std::optional<QByteArrayView> type;
    QByteArray name;
    bool nameFollows = false;
    bool argumentFollows = false;
    for (;;) {
        MelLexer::Token token = m_lexer.next();
        if (token.kind == Kind::End || token.kind == Kind::StatementEnd)
            break;
        if (nameFollows) {
            name = token.kind == Kind::String ? token.string : token.word.toByteArray();
            nameFollows = false;
        } else if (argumentFollows) {
            argumentFollows = false;
        } else if (isFlag(token)) {
            nameFollows = token.word == "-n" || token.word == "-name";
            argumentFollows = token.word == "-p" || token.word == "-parent";
        } else if (!type && token.kind == Kind::Word) {
            type = token.word;
        }
    }
    if (!type)
        return;
    const std::optional<NodeType> nodeType = textureNodeType(*type);
    if (!nodeType)
        return;
    m_current = static_cast<int>(m_nodes.size());
    const QString nodeName = decodePathText(name);
    m_nodes.push_back(TextureNode{nodeName, *nodeType, {}, 0, UvTiling::Off});
    m_byName.insert(nodeName, m_current);
}

// select -ne <name>; makes <name> the node later relative setAttrs change.
void MayaReader::select() {
    m_current = -1;
    for (;;) {
        const MelLexer::Token token = m_lexer.next();
        if (token.kind == Kind::End || token.kind == Kind::StatementEnd)
            return;
        if (token.kind == Kind::String)
            m_current = nodeNamed(token.string);
        else if (!isFlag(token))
            m_current = nodeNamed(token.word);
    }
}

// setAttr [flags] "<.attribute or node.attribute>" [-type "string"] <value>;
void MayaReader::setAttr() {
    MelLexer::Token token = m_lexer.next();
    while (token.kind == Kind::Word)
        token = m_lexer.next(); // flags before the attribute, with their values
    if (token.kind != Kind::String) {
        if (token.kind != Kind::End && token.kind != Kind::StatementEnd)
            m_lexer.skipStatement();
        return;
    }
    const QByteArray& plug = token.string;
    const qsizetype dot = plug.indexOf('.');
    if (dot < 0) {
        m_lexer.skipStatement();
        return;
    }
    const int node = dot == 0 ? m_current : nodeNamed(QByteArrayView(plug).first(dot));
    const QByteArrayView attribute = QByteArrayView(plug).sliced(dot + 1);
    if (node < 0) {
        m_lexer.skipStatement();
        return;
    }
    TextureNode& target = m_nodes[static_cast<size_t>(node)];
    const bool path = isPathAttribute(target.type, attribute);
    const bool tiling = isTilingAttribute(target.type, attribute);
    if (!path && !tiling) {
        m_lexer.skipStatement();
        return;
    }
    bool typeFollows = false;
    bool valueTaken = false;
    for (;;) {
        token = m_lexer.next();
        if (token.kind == Kind::End || token.kind == Kind::StatementEnd)
            return;
        if (valueTaken)
            continue;
        if (typeFollows) {
            typeFollows = false; // "string", the type's name, not the value
        } else if (isFlag(token)) {
            typeFollows = token.word == "-type" || token.word == "-typ";
        } else if (path && token.kind == Kind::String) {
            target.path = token.string;
            target.line = token.line;
            valueTaken = true;
        } else if (tiling && token.kind == Kind::Word) {
            bool ok = false;
            const int mode = token.word.toInt(&ok);
            target.tiling =
                ok && mode >= 0 && mode <= 4 ? static_cast<UvTiling>(mode) : UvTiling::Off;
            valueTaken = true;
        }
    }
}
} // namespace

SceneReading readMayaAscii(QByteArrayView bytes) {
    if (isMayaBinary(bytes))
        return SceneReading::failed(ReadProblem::MayaBinary);
    QByteArrayView text = bytes;
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    if (!text.startsWith("//Maya ASCII"))
        return SceneReading::failed(ReadProblem::WrongHeader, 1);
    if (!hasNoNul(text))
        return SceneReading::failed(ReadProblem::NotText);
    SceneReading reading = MayaReader(text).read();
    if (reading.problem == ReadProblem::None && !hasEndLine(text))
        return SceneReading::failed(ReadProblem::NoEndLine);
    return reading;
}

QString sourceImagesRule(QByteArrayView workspaceMel) {
    // workspace -fr "sourceImages" "<folder>";  (the last one counts)
    QString rule = QStringLiteral("sourceimages");
    MelLexer lexer(workspaceMel);
    for (;;) {
        MelLexer::Token token = lexer.next();
        if (token.kind == Kind::End)
            return rule;
        if (token.kind == Kind::StatementEnd)
            continue;
        if (token.kind != Kind::Word || token.word != "workspace") {
            lexer.skipStatement();
            continue;
        }
        bool fileRule = false;
        std::vector<QByteArray> strings;
        for (token = lexer.next(); token.kind != Kind::End && token.kind != Kind::StatementEnd;
             token = lexer.next()) {
            if (token.kind == Kind::Word)
                fileRule = fileRule || token.word == "-fr" || token.word == "-fileRule";
            else if (token.kind == Kind::String)
                strings.push_back(token.string);
        }
        if (fileRule && strings.size() == 2 && strings[0] == "sourceImages")
            rule = decodePathText(strings[1]);
    }
}
