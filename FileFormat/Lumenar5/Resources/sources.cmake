# The Windows module's own parts: its resources and its export list.
enable_language(RC)
target_sources(Lumenar5 PRIVATE
  FileFormat/Lumenar5/Resources/Lumenar5.rc
  FileFormat/Lumenar5/Resources/Lumenar5.def
)
# Exports keep their plain names even where the sources also mark them for export, which would add
# the argument-size decoration of the system calling convention.
target_link_options(Lumenar5 PRIVATE -Wl,--kill-at)
