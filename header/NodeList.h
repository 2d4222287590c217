// The singly linked lists of the construction phase: append at the end, delete all at the end.
#ifndef TARVIK_NODELIST_H
#define TARVIK_NODELIST_H

template <typename Node>
void appendNode(Node*& start, Node*& end, Node* node) {
  node->ptr = nullptr;
  if (end)
    end->ptr = node;
  else
    start = node;
  end = node;
}

template <typename Node, typename Release>
void deleteNodes(Node* start, Release release) {
  for (Node* n = start; n;) {
    Node* next = n->ptr;
    release(n);
    n = next;
  }
}

#endif
