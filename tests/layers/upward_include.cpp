// Compiled with a layer target's include folders by the tests beside it: the
// first header is one the layer may use and must be found; the second lies in
// a layer above and must not be.
#include KV_PROBE_ALLOWED
#include KV_PROBE_FORBIDDEN
