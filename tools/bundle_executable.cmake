# Puts the built binary into the bundle as Contents/MacOS/<name>: a hard link, so that the
# running copy's own path lies inside the bundle without a second copy of a large debug
# binary; a copy where the file system refuses links. A symbolic link would not do: the
# process's executable path resolves through it to the binary outside the bundle.
#   cmake -DBINARY=<built binary> -DTARGET=<path in the bundle> -P bundle_executable.cmake
get_filename_component(folder "${TARGET}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
file(CREATE_LINK "${BINARY}" "${TARGET}" COPY_ON_ERROR)
