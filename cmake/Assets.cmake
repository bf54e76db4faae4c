# The program's own assets: window pictures, the notification sound, the two
# help manuals, and the install rules that make a self-contained program folder.

# --- Window pictures -------------------------------------------------------
# resources/quorvel.qrc is also compiled into the static GUI library, but a
# linker only takes an object out of a static library when something refers
# to it, and nothing calls the pictures' registration function. So the same
# resource file is built once more as an object library whose objects go
# straight onto the link line of everything that links the GUI library (the
# program and the window tests); its static initializer then registers the
# pictures before main(). Should Q_INIT_RESOURCE(quorvel) ever be called, it
# resolves to these objects as well.
add_library(quorvel_pictures OBJECT ${PROJECT_SOURCE_DIR}/resources/quorvel.qrc)
set_target_properties(quorvel_pictures PROPERTIES AUTORCC ON)
target_link_libraries(quorvel_pictures PRIVATE Qt6::Core)
# Naming the target orders the build; the generator expression links its objects.
target_link_libraries(quorvel_gui INTERFACE quorvel_pictures $<TARGET_OBJECTS:quorvel_pictures>)
