"""The HTML pages behind the feeds' alternate links."""
from html import escape

from .feeds import Links, atom_time


def page(title, body):
    return ('<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="UTF-8">\n'
            '<title>%s</title>\n<style>body{font-family:sans-serif;margin:2em}'
            'li{margin:.3em 0}img{vertical-align:middle;margin-right:.5em}</style>\n'
            '</head>\n<body>\n<h1>%s</h1>\n%s\n</body>\n</html>\n'
            % (escape(title), escape(title), body))


def index(accounts):
    items = ''.join('<li><a href="/%s">%s</a> (%s)</li>' % (
        escape(Links('', a).user), escape(a['name']), escape(a['nickname']))
        for a in accounts if not a['login_error'])
    return page('Web albums', '<p>Accounts on this service:</p><ul>%s</ul>' % items)


def user(base, account, albums):
    links = Links(base, account)
    items = ''.join(
        '<li><a href="%s"><img src="%s" width="48" height="48" alt="">%s</a> '
        '&middot; %d photos</li>' % (
            escape(links.album_page(a)), escape(links.album_cover(a, '48-c')),
            escape(a['title']), a['numphotos'])
        for a in albums)
    return page('%s (%s)' % (account['nickname'], account['name']),
                '<p>Public albums</p><ul>%s</ul>' % (items or '<li>none</li>'))


def album(base, account, album_row, photos):
    links = Links(base, account)
    items = ''.join(
        '<li><a href="%s"><img src="%s" alt="">%s</a></li>' % (
            escape(links.photo_page(album_row, p)),
            escape(links.image(album_row['id'], p, 72)), escape(p['title']))
        for p in photos)
    body = ('<p>%s</p><p>%s &middot; %s &middot; %d photos &middot; '
            'created %s</p><p><a href="%s">%s</a></p><ul>%s</ul>' % (
                escape(album_row['summary']), escape(album_row['location']),
                escape(album_row['access']), album_row['numphotos'],
                atom_time(album_row['published']), escape(links.user_page()),
                escape(account['nickname']), items))
    return page(album_row['title'], body)


def photo(base, account, album_row, p):
    links = Links(base, account)
    body = ('<p><img src="%s" alt="%s"></p><p>%s</p><p>%d &times; %d, %d bytes'
            '</p><p><a href="%s">%s</a></p>' % (
                escape(links.image(album_row['id'], p, 0)), escape(p['title']),
                escape(p['summary']), p['width'], p['height'], p['size'],
                escape(links.album_page(album_row)), escape(album_row['title'])))
    return page(p['title'], body)


def login_error(name):
    return page('Sign-in problem', '<p>The account cannot sign in: %s.</p>'
                % escape(name))


def not_found(path):
    return page('Not found', '<p>There is nothing at %s.</p>' % escape(path))


def error(status, reason):
    return page('%d %s' % (status, reason),
                '<p>The server met an error and could not complete your '
                'request.</p><p>Please try again later.</p>')


def cut_short():
    """The beginning of a page whose end never came."""
    return ('<html><head><title>Web albums</title></head>\n<body>\n'
            '<div id="content"><p>Loading the album')
