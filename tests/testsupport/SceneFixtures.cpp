#include "SceneFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace SceneFixtures {

QString decalName() {
#ifdef Q_OS_WIN
    return QStringLiteral("decal 'v2'.png");
#else
    return QStringLiteral("decal \"v2\".png");
#endif
}

namespace {
QByteArray withRoot(const char* text, const QString& root) {
    QByteArray bytes = QByteArray(text).replace("%ROOT%", root.toUtf8());
#ifdef Q_OS_WIN
    // No Windows file name holds a double quote: the decal's name quotes with apostrophes.
    for (const char* quoted :
         {"decal \\\"v2\\\".png", "decal &quot;v2&quot;.png", "decal \"v2\".png"})
        bytes.replace(quoted, decalName().toUtf8());
#endif
    return bytes;
}

bool write(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
} // namespace

QByteArray mayaAscii(const QString& root) {
    // Line numbers matter to the tests: 10, 12, 15, 17, 19, 21, 24, 26, 33, 30.
    return withRoot(R"(//Maya ASCII 2024 scene
//Name: shot010.ma
requires maya "2024";
currentUnit -l centimeter -a degree -t film;
fileInfo "application" "maya";
createNode transform -n "pCube1";
	setAttr ".t" -type "double3" 0 1.5 0 ;
createNode file -n "woodFile";
	rename -uid "3E4C1A80-4B1F-9D2E-7A11-2A0C1D6F0001";
	setAttr ".ftn" -type "string" "C:/Users/someone/Documents/maya/projects/GSP//sourceimages/wood.jpg";
createNode file -n "skinFile";
	setAttr ".ftn" -type "string" "sourceimages\\skin\\skin.1001.tif";
	setAttr ".uvt" 3;
createNode file -n "metalFile";
	setAttr ".ftn" -type "string" "%ROOT%/library/metal.tga";
createNode aiImage -n "rockImage";
	setAttr ".filename" -type "string" "%ROOT%/library/rock.<UVTILE>.png";
createNode mentalrayTexture -n "decalTexture";
	setAttr ".ftn" -type "string" "%ROOT%/desktop/decal \"v2\".png";
createNode file -n "longFile";
	setAttr ".ftn" -type "string" "sourceimages/some/very/long/"
		+ "folder/café texture.png";
createNode file -n "goneFile";
	setAttr ".ftn" -type "string" "sourceimages/gone.tif";
createNode file -n "woodAgain";
	setAttr ".ftn" -type "string" "C:/Users/someone/Documents/maya/projects/GSP//sourceimages/wood.jpg";
createNode file -n "noteFile";
	setAttr ".cs" -type "string" "sRGB";
createNode file -n "barkFile";
	setAttr ".ftn" -type "string" "sourceimages/bark.<UDIM>.tif";
/* createNode file -n "commented"; setAttr ".ftn" -type "string" "commented.png"; */
select -ne :defaultRenderGlobals;
	setAttr "noteFile.ftn" -type "string" "note.png";
	setAttr ".ren" -type "string" "arnold";
// End of shot010.ma
)",
                    root);
}

QByteArray usdAscii(const QString& root) {
    // Asset paths on lines 10, 11, 14, 15, 16, 17, 18 (and 12 is no texture).
    return withRoot(R"(#usda 1.0
(
    doc = """Textures of shot010: @not/an/asset.png@
    over two lines"""
)

def Material "Wood"
{
    string note = "say \"@fake.png@\" # not a comment"
    asset inputs:file = @../sourceimages/wood.jpg@
    asset inputs:metal = @%ROOT%/library/metal.tga@
    asset model = @model.usd@
    # asset commented = @commented.png@
    asset inputs:decal = @@@%ROOT%/desktop/decal "v2".png@@@
    asset inputs:skin = @..\sourceimages\skin\skin.<UDIM>.tif@
    asset inputs:long = @../sourceimages/some/very/long/folder/café texture.png@
    asset inputs:gone = @../sourceimages/gone.tif@
    asset inputs:again = @../sourceimages/wood.jpg@
}
)",
                    root);
}

QByteArray materialX(const QString& root) {
    // Inputs on lines 5, 8, 12, 15, 19 (where its tag ends), 20 and 21.
    return withRoot(R"(<?xml version="1.0" encoding="UTF-8"?>
<materialx version="1.38" fileprefix="../sourceimages/">
  <nodegraph name="NG_wood">
    <image name="wood" type="color3">
      <input name="file" type="filename" value="wood.jpg" />
    </image>
    <tiledimage name="skin" type="color3">
      <input name="file" type="filename" value="skin\skin.&lt;UDIM&gt;.tif" />
    </tiledimage>
  </nodegraph>
  <nodegraph name="NG_library" fileprefix="%ROOT%/library/">
    <image name="metal" type="color3"><input name="file" type="filename" value="metal.tga" /></image>
  </nodegraph>
  <image name="decal" type="color3">
    <input name="file" type="filename" fileprefix="" value="%ROOT%/desktop/decal &quot;v2&quot;.png" />
  </image>
  <image name="long" type="color3">
    <input name="file" type="filename"
           value="some/very/long/folder/café texture.png" />
    <input name="gone" type="filename" value="gone.tif" />
    <input name="again" type="filename" value="wood.jpg" />
    <input name="label" type="string" value="not/a/texture.png" />
  </image>
</materialx>
)",
                    root);
}

QByteArray pathList(const QString& root) {
    // Paths on lines 2, 3, 4, 5, 7, 8 and 9.
    return withRoot("# textures of shot010\n"
                    "../sourceimages/wood.jpg\n"
                    "%ROOT%/library/metal.tga\r\n"
                    "\"%ROOT%/desktop/decal \"v2\".png\"\n"
                    "..\\sourceimages\\skin\\skin.<UDIM>.tif\n"
                    "\n"
                    "   ../sourceimages/some/very/long/folder/café texture.png  \n"
                    "../sourceimages/gone.tif\n"
                    "../sourceimages/wood.jpg\n",
                    root);
}

QByteArray workspaceMel() {
    return "//Maya 2024 Project Definition\n\n"
           "workspace -fr \"scene\" \"scenes\";\n"
           "workspace -fr \"sourceImages\" \"sourceimages\";\n"
           "workspace -fr \"images\" \"images\";\n";
}

QStringList textureFiles() {
    return {QStringLiteral("project/sourceimages/wood.jpg"),
            QStringLiteral("project/sourceimages/skin/skin.1001.tif"),
            QStringLiteral("project/sourceimages/skin/skin.1002.tif"),
            QStringLiteral("project/sourceimages/skin/skin.1004.tif"),
            QStringLiteral("project/sourceimages/skin/skin.1003.tif.bak"),
            QStringLiteral("project/sourceimages/skin/skin.10050.tif"),
            QStringLiteral("project/sourceimages/some/very/long/folder/café texture.png"),
            QStringLiteral("project/scenes/note.png"),
            QStringLiteral("library/metal.tga"),
            QStringLiteral("library/rock.u1_v1.png"),
            QStringLiteral("library/rock.u2_v1.png"),
            QStringLiteral("library/rock.u1_v2.png"),
            QStringLiteral("desktop/") + decalName()};
}

bool writeProject(const QString& root) {
    for (const QString& file : textureFiles()) {
        if (!write(root + QLatin1Char('/') + file, "texture"))
            return false;
    }
    const QString scenes = root + QStringLiteral("/project/scenes/");
    return write(root + QStringLiteral("/project/workspace.mel"), workspaceMel()) &&
           write(scenes + QStringLiteral("shot010.ma"), mayaAscii(root)) &&
           write(scenes + QStringLiteral("shot010.usda"), usdAscii(root)) &&
           write(scenes + QStringLiteral("shot010.mtlx"), materialX(root)) &&
           write(scenes + QStringLiteral("textures.txt"), pathList(root));
}

} // namespace SceneFixtures
