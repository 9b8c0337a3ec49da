#include "tests/gui/GuiTestSupport.h"

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>

namespace guitest {
namespace {

const char kEnglish[] = R"([Info]
Language=English
[Menu]
menufile=&File
menurnd=&Render
menuoptions=&Options
menuhelp=&Help
menutheme=&UI Theme
menulng=&Language
menunew=&New Project
menuopen=&Open Project...
menusave=&Save Project
menusaveas=Save Project &As...
menusaveast=Save Project as &Template...
menuexit=E&xit
menuras=Render and &Save
menucai=Contents and &Index
menuhome=Visit &Homepage...
menuabout=&About Boxora...
menuedit=&Edit
menuundo=&Undo
menuredo=&Redo
menuview=&View
menuframe=Picture &Frame
menurecent=&Recent Projects
[Toolbar]
tlbnew=New Project
tlbopen=Open Project
tlbsave=Save Project
tlbras=Render and Save
[StatusBar]
render=Rendering...
loadtmpl=Loading template...
loadobj=Loading objects...
loadproj=Loading project...
[About]
version=Version
build=Build
[Preview]
preview=Preview
[TabGeneral]
general=General
templates=Templates
loadtemplate=Load Template
saveproj=Save as Template
delteml=Delete Template
savetempl=Save Template
ok=OK
cancel=Cancel
templname=Template name
saveprj=Do you want to save the changes to "%s"?
errsaveprj=The project could not be saved to "%s".
deltemplate=Do you really want to delete the template "%s"?
erdeltemplate=The template "%s" could not be deleted.
ersavetemplate=The template could not be saved.
invalidname=The template "%s" cannot be renamed to "%s".
tmplexist=A template named "%s" already exists.
errrename=The template "%s" could not be renamed.
[TabScene]
scene=Scene
objinscn=Objects in Scene
avlblobj=Available Objects
addobj=Add Object
delobj=Delete Object
[TabObjects]
objects=Objects
objs=Objects
txt=Textures
tran=Translate
rotate=Rotate
scale=Scale
front=Front:
back=Back:
left=Left:
right=Right:
top=Top:
bottom=Bottom:
x=X
y=Y
z=Z
[TabCamera]
camera=Camera
camh=Horizontal rotation
camv=Vertical rotation
camtv=Camera target horizontal
camth=Camera target vertical
camz=Zoom
camp=Perspective
[TabLighting]
lighting=Lighting
gl=Global Light
br=Brightness
ls1=Light source 1
lh1=Horizontal rotation
lv1=Vertical rotation
ld1=Distance
ls2=Light source 2
lh2=Horizontal rotation
lv2=Vertical rotation
ld2=Distance
[TabShadows]
shadows=Shadows
sh=Shadows
sd=Direction
sl=Length
si=Intensity
sb=Blur
[TabReflection]
reflection=Reflection
refl=Reflection
rl=Length
ro=Opacity
bg=Background
cl=Color
transp=Transparent
bgcl=Background color
[TabRendering]
rendering=Rendering
imgf=Image File
frmt=Format:
flnm=File name:
brws=Browse...
imgsz=Image Size
imgwdt=Width:
imghgt=Height:
kpprop=Keep proportions
imgprt=Image Options
rndsave=Render and Save
errsave=The image could not be saved to "%s".
pngprop=Interlacing:
jpegprop=Quality:
gifprop=Compression:
tiffprop=Compression:
intrl=Interlaced
notintrl=Not interlaced
bsln=Baseline
prgrs=Progressive
optmz=Optimize
auto=Auto
none=None
pckb=PackBits
jpeg=JPEG
lzw=LZW
rle=RLE
fax=Fax
[Common]
recentgone=The project "%s" no longer exists.
)";

// Deliberately incomplete: missing keys fall back to English.
const char kDeutsch[] = R"([Info]
Language=Deutsch
[Menu]
menufile=&Datei
menurnd=&Rendern
menuoptions=&Optionen
menuhelp=&Hilfe
menutheme=&Oberfläche
menulng=&Sprache
menunew=&Neues Projekt
menuexit=&Beenden
[Toolbar]
tlbnew=Neues Projekt
tlbras=Rendern und speichern
[StatusBar]
loadproj=Projekt wird geladen...
[Preview]
preview=Vorschau
[TabCamera]
camera=Kamera
camh=Horizontale Drehung
[TabShadows]
shadows=Schatten
sd=Richtung
[TabReflection]
transp=Transparent (ohne Hintergrund)
[TabGeneral]
templates=Vorlagen
loadtemplate=Vorlage laden
[TabScene]
addobj=Objekt hinzufügen
[TabObjects]
txt=Texturen
front=Vorne:
[TabRendering]
kpprop=Proportionen halten
jpegprop=Qualität:
)";

}  // namespace

QApplication& App() {
    // The test program's environment normally made it before the first test.
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return *existing;
    static int argc = 1;
    static char name[] = "boxora_tests_gui";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

GuiEnvironment::GuiEnvironment() {
    App();
    if (const char* home = std::getenv("BOXORA_HOME")) {
        hadHome_ = true;
        previousHome_ = home;
    }
    // The per-user data (the template library) lives in the scratch folder
    // too, never in the real home.
    if (const char* data = std::getenv("XDG_DATA_HOME")) {
        hadDataHome_ = true;
        previousDataHome_ = data;
    }
    std::filesystem::create_directories(userData_.Path());
    setenv("XDG_DATA_HOME", userData_.Path().c_str(), 1);
    std::filesystem::create_directories(home_.Path() / "languages");
    testsupport::WriteFileBytes(home_.File("languages/English.lng"), kEnglish);
    testsupport::WriteFileBytes(home_.File("languages/Deutsch.lng"), kDeutsch);
    setenv("BOXORA_HOME", home_.Path().c_str(), 1);
    boxora::SetSettingsStore(&settings_);
}

GuiEnvironment::~GuiEnvironment() {
    boxora::SetSettingsStore(nullptr);
    if (hadDataHome_)
        setenv("XDG_DATA_HOME", previousDataHome_.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    if (hadHome_)
        setenv("BOXORA_HOME", previousHome_.c_str(), 1);
    else
        unsetenv("BOXORA_HOME");
}

void GuiEnvironment::InstallCatalogue() {
    namespace fs = std::filesystem;
    const fs::path target = home_.Path() / "data";
    fs::create_directories(target);
    fs::copy(testsupport::AppDir() / "data", target,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

void GuiEnvironment::InstallShippedLanguages() {
    namespace fs = std::filesystem;
    fs::copy(testsupport::AppDir() / "languages", home_.Path() / "languages",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

std::string GuiEnvironment::ObjectsFolder() const { return (home_.Path() / "data" / "Objects").string() + "/"; }

void ProcessEvents() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace guitest
