# Third-party libraries of the core, gathered into one interface target.
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(OSMESA REQUIRED IMPORTED_TARGET osmesa)
pkg_check_modules(GLU REQUIRED IMPORTED_TARGET glu)
pkg_check_modules(OPENJP2 REQUIRED IMPORTED_TARGET libopenjp2)
pkg_check_modules(LIBWMF IMPORTED_TARGET libwmf)
pkg_check_modules(RSVG IMPORTED_TARGET librsvg-2.0)
# WebP stills and animations; H.264 and VP9 videos of turntables.
pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET libwebp libwebpdemux libwebpmux)
pkg_check_modules(LIBAV REQUIRED IMPORTED_TARGET libavcodec libavformat libavutil libswscale)
# ICC profiles of artwork and of written pictures.
pkg_check_modules(LCMS2 REQUIRED IMPORTED_TARGET lcms2)
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)
find_package(ZLIB REQUIRED)
find_package(TIFF REQUIRED)
find_library(GIF_LIBRARY gif REQUIRED)
# glm's 4 × 4 matrix (column-major, as OpenGL) is the one matrix type of the
# model and render math.
find_package(glm CONFIG REQUIRED)
# Models from other 3D programs: glTF 2.0 and Wavefront OBJ.
find_package(TinyGLTF CONFIG REQUIRED)
find_package(tinyobjloader CONFIG REQUIRED)
find_library(EMF2SVG_LIBRARY emf2svg)
find_path(EMF2SVG_INCLUDE_DIR emf2svg.h)

# Each layer links the packages it includes: the image layer the format
# libraries (boxora::codecs), the render layer OpenGL (boxora::gl), model
# and render glm.
add_library(boxora_codecs INTERFACE)
add_library(boxora::codecs ALIAS boxora_codecs)
target_link_libraries(boxora_codecs INTERFACE
  PkgConfig::OPENJP2 JPEG::JPEG PNG::PNG ZLIB::ZLIB TIFF::TIFF ${GIF_LIBRARY}
  PkgConfig::WEBP PkgConfig::LIBAV PkgConfig::LCMS2)
add_library(boxora_gl INTERFACE)
add_library(boxora::gl ALIAS boxora_gl)
target_link_libraries(boxora_gl INTERFACE PkgConfig::OSMESA PkgConfig::GLU)
if(LIBWMF_FOUND)
  target_link_libraries(boxora_codecs INTERFACE PkgConfig::LIBWMF)
  target_compile_definitions(boxora_codecs INTERFACE BOXORA_HAVE_LIBWMF=1)
endif()
# librsvg (with cairo) rasterises the SVG that both metafile converters produce.
if(RSVG_FOUND)
  target_link_libraries(boxora_codecs INTERFACE PkgConfig::RSVG)
  target_compile_definitions(boxora_codecs INTERFACE BOXORA_HAVE_RSVG=1)
endif()
if(EMF2SVG_LIBRARY AND EMF2SVG_INCLUDE_DIR AND RSVG_FOUND)
  target_link_libraries(boxora_codecs INTERFACE ${EMF2SVG_LIBRARY})
  target_include_directories(boxora_codecs INTERFACE ${EMF2SVG_INCLUDE_DIR})
  target_compile_definitions(boxora_codecs INTERFACE BOXORA_HAVE_EMF2SVG=1)
endif()

# Header-only libraries of boxora-render: CLI11 reads its options, nlohmann's
# JSON writes the --dump document. ordered_json needs nlohmann 3.9.
find_package(CLI11 2.1 CONFIG REQUIRED)
find_package(nlohmann_json 3.9 CONFIG REQUIRED)

# poppler's C++ interface draws the first page of PDF face images (in the
# decoding helper).
pkg_check_modules(POPPLER_CPP IMPORTED_TARGET poppler-cpp)
if(POPPLER_CPP_FOUND)
  target_link_libraries(boxora_codecs INTERFACE PkgConfig::POPPLER_CPP)
  target_compile_definitions(boxora_codecs INTERFACE BOXORA_HAVE_POPPLER=1)
endif()

# PoDoFo writes the dieline PDFs: their cut and crease lines are stroked in
# Separation colours, which cairo cannot do.
pkg_check_modules(PODOFO REQUIRED IMPORTED_TARGET libpodofo)
