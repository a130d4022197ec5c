# nlohmann-json for cross builds: header-only, so the build machine's headers
# serve. They are reached through a folder of their own that links to
# /usr/include/nlohmann: /usr/include itself holds the build machine's C
# library headers, which must not reach the cross compiler.
if(NOT TARGET nlohmann_json::nlohmann_json)
  set(jpcp_host_headers ${CMAKE_BINARY_DIR}/host-headers)
  if(NOT EXISTS ${jpcp_host_headers}/nlohmann)
    file(MAKE_DIRECTORY ${jpcp_host_headers})
    file(CREATE_LINK /usr/include/nlohmann ${jpcp_host_headers}/nlohmann SYMBOLIC)
  endif()
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${jpcp_host_headers})
endif()
