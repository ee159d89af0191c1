# Sources of this folder, compiled into the engine library.
target_sources(lumenar_engine PRIVATE
  Src/Tarnwick/LDeleter.cpp
  Src/Tarnwick/LibraryStartup.cpp
  Src/Tarnwick/LFileFormat.cpp
  Src/Tarnwick/LLumenarFormat.cpp
  Src/Tarnwick/LImageFile.cpp
)
