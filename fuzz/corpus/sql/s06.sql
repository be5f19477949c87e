DELETE FROM kjcg WHERE item_4=
'K'