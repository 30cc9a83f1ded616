# Deployment settings, compiled in. The defaults point at the simulator
# (tools/fakemarket) on its fixed loopback port, so a fresh build runs against it.
set(VARLEN_SIMULATOR_PORT 8931 CACHE STRING "Port of tools/fakemarket")
set(VARLEN_CONFIG_ENDPOINT "http://127.0.0.1:${VARLEN_SIMULATOR_PORT}/" CACHE STRING "Configuration page address")
set(VARLEN_PRESENCE_HOST "127.0.0.1:${VARLEN_SIMULATOR_PORT}" CACHE STRING "Host (and port) of the presence endpoint")
set(VARLEN_HELP_PAGE_URL "http://localhost:${VARLEN_SIMULATOR_PORT}/" CACHE STRING "Help page address")

add_library(varlen_settings INTERFACE)
target_compile_definitions(varlen_settings INTERFACE
  VARLEN_CONFIG_ENDPOINT="${VARLEN_CONFIG_ENDPOINT}"
  VARLEN_PRESENCE_HOST="${VARLEN_PRESENCE_HOST}"
  VARLEN_HELP_PAGE_URL="${VARLEN_HELP_PAGE_URL}"
  VARLEN_SIMULATOR_PORT=${VARLEN_SIMULATOR_PORT})
