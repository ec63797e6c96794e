// Keeps the game playable with no network once the page has loaded it, one release at a time.
//
// A release is the build's files, named by a hash of their contents. The page asks for the
// game's files by that name (emberdash.js?release=...), so a file of one release is never taken
// for the same file of another. The page itself is asked of the network first, so a new release
// served at the same address is what a player with a network gets on the next visit; with no
// network, the page and every file come from the release kept here. A new release is kept whole
// before it replaces the old one.
"use strict";

const release = "@EMBERDASH_RELEASE@";
const keep = "emberdash-" + release;
// The page's own files as the page asks for them; the page itself is kept as index.html.
const files = [@EMBERDASH_CACHED_FILES@];

function here(path) {
  return new URL(path, self.registration.scope).href;
}

self.addEventListener("install", function (event) {
  event.waitUntil((async function () {
    const cache = await caches.open(keep);
    await Promise.all(files.map(async function (path) {
      // Asked again of the server, never taken unchecked from the browser's cache.
      const response = await fetch(here(path), { cache: "no-cache" });
      if (!response.ok) {
        throw new Error(path + ": " + response.status);
      }
      // A page of another release, served while this one installs, is not kept as this one's.
      if (path === "index.html" &&
          (await response.clone().text()).indexOf('"' + release + '"') < 0) {
        throw new Error("index.html is not of release " + release);
      }
      await cache.put(here(path), response);
    }));
    await self.skipWaiting();
  })());
});

// Only the newest release is kept; pages open on this address are served from it from now on.
self.addEventListener("activate", function (event) {
  event.waitUntil((async function () {
    const names = await caches.keys();
    await Promise.all(names.filter(function (name) {
      return name.indexOf("emberdash-") === 0 && name !== keep;
    }).map(function (name) {
      return caches.delete(name);
    }));
    await self.clients.claim();
  })());
});

self.addEventListener("fetch", function (event) {
  const request = event.request;
  if (request.method !== "GET") {
    return;
  }
  const url = new URL(request.url);
  const scope = new URL(self.registration.scope);
  if (request.mode === "navigate") {
    const page = url.origin === scope.origin &&
      (url.pathname === scope.pathname || url.pathname === scope.pathname + "index.html");
    if (!page) {
      return;
    }
    event.respondWith(fetch(request.url, { cache: "no-cache", credentials: "same-origin" })
      .catch(async function (error) {
        const kept = await caches.match(here("index.html"), { cacheName: keep });
        if (kept) {
          return kept;
        }
        throw error;
      }));
    return;
  }
  event.respondWith(caches.match(request, { cacheName: keep }).then(function (kept) {
    return kept || fetch(request);
  }));
});
