"""Local stand-in for the ClientLogin account service and the Picasa Web
Albums Data API, serving both over HTTP and HTTPS on loopback."""
